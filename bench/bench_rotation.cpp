#include "bench/boards.h"
#include "board/rotation.h"

#include <benchmark/benchmark.h>

namespace {

void rotateWidestBoard(benchmark::State& run) {
    static const std::unique_ptr<board::BoardState> state = bench::widestBoard();
    if (!state) {
        run.SkipWithError("no message measures exactly 4095 pixels");
        return;
    }
    const auto direction = int16_t(run.range(0));
    for (auto _ : run)
        board::rotateBoard(*state, direction);
    const qint64 pixels = qint64(state->Board.ScaleWidth()) * state->Board.ScaleHeight();
    run.counters["board_pixels"] = double(pixels);
    // The copy into the scratch surface, then the two halves back: the board twice.
    run.SetBytesProcessed(run.iterations() * pixels * qint64(sizeof(QRgb)) * 2);
}
BENCHMARK(rotateWidestBoard)->ArgName("direction")->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

} // namespace
