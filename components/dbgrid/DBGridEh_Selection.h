// The data grid's selection: rows, a cell rectangle, columns or everything.
#pragma once
