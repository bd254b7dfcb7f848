// Grouping in the data grid: its grouping settings, levels and group panel.
#pragma once
