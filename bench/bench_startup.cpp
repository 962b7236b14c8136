#include "bench/startup.h"

#include "app/basCommon.h"
#include "board/fontface.h"
#include "app/frmMain.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <benchmark/benchmark.h>

int bench::startUpOnce(const QString& settingsFolder) {
    app::setProgramFolder(settingsFolder);
    board::registerJapaneseFaceSubstitutions();
    app::LoadSettings();
    app::SaveSettings();
    app::frmMain window;
    window.Form_Load();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;
    window.repaint();
    return 0;
}

namespace {

// Start-up in a new process, as the program does it, up to the main window shown and painted once.
void startUpToWindowShown(benchmark::State& run) {
    QTemporaryDir folder;
    for (auto _ : run) {
        QProcess process;
        process.start(QCoreApplication::applicationFilePath(),
                      {QString::fromLatin1(bench::StartUpOnceFlag), folder.path()});
        if (!process.waitForFinished(60000) || process.exitCode() != 0)
            run.SkipWithError("the start-up did not show the window");
    }
}
BENCHMARK(startUpToWindowShown)->Unit(benchmark::kMillisecond)->UseRealTime();

// lumidot-render as a whole process, from start to the PNG written.
void renderProcess(benchmark::State& run) {
    QTemporaryDir folder;
    const QString output = folder.filePath(QStringLiteral("sample.png"));
    for (auto _ : run) {
        QProcess process;
        process.start(QStringLiteral(LUMIDOT_RENDER), {QStringLiteral("Sample"), output});
        if (!process.waitForFinished(60000) || process.exitCode() != 0)
            run.SkipWithError("lumidot-render failed");
    }
}
BENCHMARK(renderProcess)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
