// Running totals of a dataset's fields: sums, averages and counts kept up to date by the
// dataset's events or recomputed in one pass.
#pragma once
