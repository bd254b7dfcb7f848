// The published block of the test bar.
#include "InplaceFixture.h"

DOV_PUBLISHED(TInplaceTestBar) {}
