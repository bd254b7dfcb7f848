// Shared by the window-layer tests: the application environment and image probes.
#pragma once

#include <gtest/gtest.h>

#include "support/AppEnvironment.h"

#include <QColor>
#include <QImage>
#include <QRect>
#include <memory>

#include "platform/vcl/VclImageCompare.h"
