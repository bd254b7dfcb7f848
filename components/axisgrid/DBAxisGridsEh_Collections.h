// Axis bar collections and the grid-wide default values of bars.
#pragma once

#include "DBAxisGridsEh_Bars.h"
