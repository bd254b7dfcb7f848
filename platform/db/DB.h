// The dataset framework: fields, datasets, data sources and data links.
#pragma once

#include "DBTypes.h"
