// The live preview on a real display (run it under xvfb-run, as tools/bench.sh does): the process's CPU
// time while the scroll job's 64-cell panel plays, and the time from opening the window to its first
// frame painted on the widest board the limits allow.
//
//   lumidot_previewbench [SECONDS]   (how long each playing measurement lasts; 20 by default)

#include "bench/scrolljob.h"
#include "preview/panelview.h"
#include "preview/scrollpreview.h"
#include "ui/pictures.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

namespace {

double processCpuMs() {
    timespec time{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &time);
    return double(time.tv_sec) * 1e3 + double(time.tv_nsec) / 1e6;
}

// Counts the paints of one widget.
class PaintCounter : public QObject {
public:
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++count;
        return false;
    }
};

// The longest board the limits allow: 4095 columns of 8-pixel cells (cell origins are 16-bit), 15 rows.
scroll::Sign widestSign() {
    constexpr int Columns = 4095;
    constexpr int Rows = 15;
    board::CellGrid cells{Columns, Rows, std::vector<uint8_t>(size_t(Columns) * Rows)};
    uint32_t seed = 7;
    for (uint8_t& cell : cells.lit) {
        seed = seed * 1103515245u + 12345u;
        cell = (seed >> 16) % 3 == 0 ? 1 : 0;
    }
    return {cells, ui::builtinLitDot(), ui::builtinUnlitDot()};
}

// Milliseconds from creating the window to its first frame painted on the display.
double openToFirstFrame(const scroll::Sign& sign, const scroll::AnimationSettings& settings) {
    QElapsedTimer timer;
    timer.start();
    auto* window = new preview::ScrollPreview;
    window->play(sign, settings);
    PaintCounter panelPaints;
    window->findChild<preview::PanelView*>()->installEventFilter(&panelPaints);
    window->show();
    while (panelPaints.count == 0) // the paint is over when the event that caused it has been handled
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double elapsed = double(timer.nsecsElapsed()) / 1e6;
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return elapsed;
}

void reportFirstFrame(const char* what, const scroll::Sign& sign, const scroll::AnimationSettings& settings) {
    std::vector<double> times;
    for (int run = 0; run < 9; ++run)
        times.push_back(openToFirstFrame(sign, settings));
    const double first = times.front();
    std::sort(times.begin(), times.end());
    std::printf("open to first frame, %s: first %.1f ms, median of 9 %.1f ms\n", what, first, times[4]);
}

// Plays the scroll job for seconds in a window of the given size (the window's own size when empty).
void reportPlaying(const QSize& size, int seconds) {
    preview::ScrollPreview window;
    window.play(bench::scrollSign(), bench::scrollSettings());
    if (size.isValid())
        window.resize(size);
    auto* panel = window.findChild<preview::PanelView*>();
    PaintCounter panelPaints;
    panel->installEventFilter(&panelPaints);
    window.show();
    while (panelPaints.count == 0)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const QRect shown = preview::fittedRect(window.currentFrame().size(), panel->size());

    panelPaints.count = 0;
    QElapsedTimer wall;
    wall.start();
    const double cpuBefore = processCpuMs();
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
    const double cpu = processCpuMs() - cpuBefore;
    const double elapsed = double(wall.nsecsElapsed()) / 1e6;
    std::printf("playing 64 cells of 8 x 8 dots at 50 ms, panel %d x %d pixels in a %d x %d window: "
                "%.2f %% of one core (%.0f ms CPU in %.0f ms), %d frames painted (%.0f due)\n",
                shown.width(), shown.height(), window.width(), window.height(), 100.0 * cpu / elapsed, cpu, elapsed,
                panelPaints.count, elapsed / 50.0);
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    std::printf("platform %s, screen %d x %d\n", qPrintable(QGuiApplication::platformName()),
                application.primaryScreen()->size().width(), application.primaryScreen()->size().height());

    const scroll::Sign widest = widestSign();
    scroll::AnimationSettings wholeBoard;
    reportFirstFrame("4095 x 15 cells, the whole board as the panel (32760 x 120 pixels)", widest, wholeBoard);
    scroll::AnimationSettings panel = bench::scrollSettings();
    reportFirstFrame("4095 x 15 cells, a 64-cell panel", widest, panel);

    reportPlaying({}, seconds);
    reportPlaying(QSize(1800, 520), seconds);
    return 0;
}
