// For suites that need a real X server (the private Xvfb of the test run): the application runs
// on the xcb platform when a display is there; without one the suite's tests skip themselves.
// Including this header registers it (instead of AppEnvironment.h).
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

namespace testsupport {

class XvfbEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (qgetenv("DISPLAY").isEmpty())
            return;
        qputenv("QT_QPA_PLATFORM", "xcb");
        static int argc = 1;
        static char name[] = "dovrelin-xvfb-test";
        static char* argv[] = {name, nullptr};
        App = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { App.reset(); }
    static bool Available() { return Instance()->App != nullptr; }
    static XvfbEnvironment* Instance()
    {
        static XvfbEnvironment* env = new XvfbEnvironment;
        return env;
    }
    std::unique_ptr<QApplication> App;
};

inline ::testing::Environment* const kXvfbEnv = ::testing::AddGlobalTestEnvironment(XvfbEnvironment::Instance());

}  // namespace testsupport
