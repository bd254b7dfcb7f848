#include "DrawFixture.h"

DOV_PUBLISHED(TDrawTestBar) {}
DOV_PUBLISHED(TDrawTestGrid) {}
