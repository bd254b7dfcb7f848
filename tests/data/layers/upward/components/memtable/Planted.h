// Planted: the in-memory table reaching up into the drawing half of the foundation.
#pragma once
#include "components/foundation/ToolCtrlsEh.h"
