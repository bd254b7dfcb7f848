// Entry of the benchmarks that need a widget application. The application lives on main's
// stack, so it is gone before static teardown begins: a function-local static application is
// destroyed after the platform's own statics and the toolkit's, and crashes the exit.
#pragma once

#include <QApplication>
#include <benchmark/benchmark.h>

inline int RunBenchmarksWithApp(int argc, char** argv)
{
    if (qgetenv("QT_QPA_PLATFORM").isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    QApplication app(argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

#define DOVRELIN_BENCHMARK_MAIN_WITH_APP() \
    int main(int argc, char** argv) { return RunBenchmarksWithApp(argc, argv); }
