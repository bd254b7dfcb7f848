// One QApplication per test executable, offscreen unless the run names another platform.
// Including this header registers it.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

namespace testsupport {

class QtAppEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (qgetenv("QT_QPA_PLATFORM").isEmpty())
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "dovrelin-test";
        static char* argv[] = {name, nullptr};
        if (!QApplication::instance())
            App = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { App.reset(); }
    std::unique_ptr<QApplication> App;
};

inline ::testing::Environment* const kQtEnv = ::testing::AddGlobalTestEnvironment(new QtAppEnvironment);

}  // namespace testsupport
