// The data grid: columns with titles and footers, the grid's parameter objects and style,
// the grid itself with its rows, title tree and painting. Each area keeps its own header and
// DBGridEh_<Area>.cpp files; this header is the unit's.
#pragma once

#include "DBGridEh_Footers.h"
#include "DBGridEh_Params.h"
#include "DBGridEh_Style.h"
#include "DBGridEh_Columns.h"
#include "DBGridEh_TitleTree.h"
#include "DBGridEh_Rows.h"
#include "DBGridEh_Grid.h"
#include "DBGridEh_Paint.h"
