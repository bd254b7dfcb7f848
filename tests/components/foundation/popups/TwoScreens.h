// The suites of this folder run on two monitors side by side: 1280 x 1024 at (0, 0) and
// 1024 x 768 at (1280, 100) (offscreen, from a screen configuration file), unless the run
// names a real display platform.
#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace popuptest {

inline const bool kTwoScreens = [] {
    const QByteArray p = qgetenv("QT_QPA_PLATFORM");
    if (p.isEmpty() || p == "offscreen")
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" DOV_TEST_DATA "/foundation/two_screens.json");
    return true;
}();

}  // namespace popuptest

#include "support/AppEnvironment.h"
