// The data-aware layer of the grid: axis bars (the column model) bound to a dataset's fields,
// their collections and default values, the axis grid with its data link and editing protocol,
// data cell drawing, line parameters, and the in-place data editor with its drop-downs. Each
// area keeps its own header and DBAxisGridsEh_<Area>.cpp files; this header is the unit's.
#pragma once

#include "DBAxisGridsEh_Bars.h"
#include "DBAxisGridsEh_Collections.h"
#include "DBAxisGridsEh_Grid.h"
#include "DBAxisGridsEh_Draw.h"
#include "DBAxisGridsEh_Inplace.h"
