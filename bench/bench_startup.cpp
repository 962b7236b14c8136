#include "app/basCommon.h"
#include "board/fontface.h"
#include "ui/frmMain.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <benchmark/benchmark.h>

namespace {

// Start-up as the program does it, up to the main window shown and painted once.
void startUpToWindowShown(benchmark::State& run) {
    QTemporaryDir folder;
    app::setProgramFolder(folder.path());
    board::registerJapaneseFaceSubstitutions();
    for (auto _ : run) {
        app::LoadSettings();
        app::SaveSettings();
        ui::frmMain window;
        window.Form_Load();
        if (!QTest::qWaitForWindowExposed(&window))
            run.SkipWithError("the window was not shown");
        window.repaint();
    }
}
BENCHMARK(startUpToWindowShown)->Unit(benchmark::kMillisecond);

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
