// Data cell drawing and hints; line parameters, border and the default edit-button actions.
#pragma once

#include "DBAxisGridsEh_Grid.h"
