#include "bench/boards.h"

#include <benchmark/benchmark.h>

namespace {

// Renders message once the mask is as large as the board, as from the second press of the start button.
void renderMessage(benchmark::State& run, board::BoardState& state, const QString& message) {
    board::DrawBoard(state, message);
    for (auto _ : run)
        board::DrawBoard(state, message);
    const qint64 cells = qint64(state.SizeMongon.Width()) * state.SizeMongon.Height();
    run.counters["cells"] = double(cells);
    run.counters["board_pixels"] = double(qint64(state.Board.ScaleWidth()) * state.Board.ScaleHeight());
    run.SetItemsProcessed(run.iterations() * cells);
}

void drawSample(benchmark::State& run) {
    auto state = bench::benchState();
    renderMessage(run, *state, QStringLiteral("Sample"));
}
BENCHMARK(drawSample)->Unit(benchmark::kMicrosecond);

void drawThousandPixels(benchmark::State& run) {
    auto state = bench::benchState();
    renderMessage(run, *state, bench::messageOfWidth(*state, 1000));
}
BENCHMARK(drawThousandPixels)->Unit(benchmark::kMillisecond);

// The widest messages the 16-bit cell origins comfortably allow: 4095 columns of 8-pixel dots, 655 of
// 50-pixel dots.
void drawWidest(benchmark::State& run) {
    auto state = bench::benchState();
    const int dot = int(run.range(0));
    state->Dot[0].setPicture(bench::squareDot(dot, qRgb(255, 0, 0)));
    state->Dot[1].setPicture(bench::squareDot(dot, qRgb(60, 0, 0)));
    renderMessage(run, *state, bench::messageOfWidth(*state, 32767 / dot));
}
BENCHMARK(drawWidest)->ArgName("dot")->Arg(8)->Arg(50)->Unit(benchmark::kMillisecond);

} // namespace
