// The data grid's drawing style, shared by every grid that takes the process-wide default.
#pragma once

#include "components/axisgrid/DBAxisGridsEh.h"
