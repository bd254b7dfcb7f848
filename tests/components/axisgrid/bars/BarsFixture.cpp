#include "BarsFixture.h"

DOV_PUBLISHED(TBarsTestBar) {}
DOV_PUBLISHED(TBarsTestGrid) {}
