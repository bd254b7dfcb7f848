// Shared by the window-layer tests: one QApplication per executable, image probes.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QColor>
#include <QImage>
#include <QRect>
#include <memory>

#include "platform/vcl/VclImageCompare.h"

namespace vcltest {

class QtAppEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
        static int argc = 1;
        static char name[] = "vcltest";
        static char* argv[] = {name, nullptr};
        if (!QApplication::instance())
            App = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { App.reset(); }
    std::unique_ptr<QApplication> App;
};

inline ::testing::Environment* const kQtEnv = ::testing::AddGlobalTestEnvironment(new QtAppEnvironment);

} // namespace vcltest
