#include "bench/boards.h"

#include "output/writeboard.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

namespace {

// Writes the widest board in one format; arg 0..2 is the PNG setting, 3 BMP, 4 JPEG.
void saveWidest(benchmark::State& run) {
    static const std::unique_ptr<board::BoardState> state = bench::widestBoard();
    if (!state) {
        run.SkipWithError("no message measures exactly 4095 pixels");
        return;
    }
    QTemporaryDir folder;
    const int kind = int(run.range(0));
    const output::SaveOptions options{50, false, int16_t(kind <= 2 ? kind : 1)};
    const QString name = folder.filePath(kind <= 2 ? "board.png" : kind == 3 ? "board.bmp" : "board.jpg");
    for (auto _ : run) {
        if (!output::writeBoard(state->Board, name, platform::saveFormatOf(name), options).ok())
            run.SkipWithError("the board could not be written");
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    run.counters["peak_rss_MiB"] = double(usage.ru_maxrss) / 1024.0;
    run.counters["file_KiB"] = double(QFileInfo(name).size()) / 1024.0;
}
BENCHMARK(saveWidest)->ArgName("png_setting_0_1_2_bmp_3_jpeg_4")->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

} // namespace
