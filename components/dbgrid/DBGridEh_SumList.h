// The grid's footer sum list.
#pragma once
