// The row detail panel under the current row and the row panel mode.
#pragma once
