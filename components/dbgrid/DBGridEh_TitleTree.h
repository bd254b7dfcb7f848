// The multi-line title tree: titles split by "|" into levels shared by neighbouring columns.
#pragma once

#include "components/axisgrid/DBAxisGridsEh.h"
