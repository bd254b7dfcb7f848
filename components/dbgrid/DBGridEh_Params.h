// The data grid's parameter objects: title, indicator and footer parameters, tree view,
// empty-data text, highlight requests and the other small settings objects of the grid.
#pragma once

#include "components/axisgrid/DBAxisGridsEh.h"
