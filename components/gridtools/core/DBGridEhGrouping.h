// Grouping of an in-memory table's rows: levels, the group data tree and group footers.
#pragma once
