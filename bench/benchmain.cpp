// One benchmark program for every subject, measured headless.

#include "bench/startup.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <cstring>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv); // the start-up benchmark opens the main window
    if (argc == 3 && std::strcmp(argv[1], bench::StartUpOnceFlag) == 0)
        return bench::startUpOnce(QString::fromLocal8Bit(argv[2]));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
