#include "bench/boards.h"
#include "board/fontface.h"
#include "board/panelmask.h"
#include "dotfont/facelibrary.h"

#include <QDir>

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

namespace {

// A panel 16 rows high: the fitted render with a dot face (Unifont's glyphs through Qt, Shinonome's
// bitmaps blitted) and with an outline face (DejaVu Sans at the pixel size whose line fits), against a
// plain render of a board of the same size (DejaVu Sans at the point size whose line is 16 rows, a
// message exactly as wide). The faces are found once; the first render reads the glyphs.
const dotfont::FaceLibrary& library() {
    static const dotfont::FaceLibrary faces =
        dotfont::FaceLibrary::discover(dotfont::FaceLibrary::systemFontFolders(QDir::homePath()));
    return faces;
}

const QString PanelMessage = QStringLiteral("ようこそ Lumidot へ 営業中 OPEN 10:00-19:00 ");

void drawPanel(benchmark::State& run, const QString& faceName) {
    const auto face = library().find(faceName);
    if (!face) {
        run.SkipWithError("face not installed");
        return;
    }
    auto state = bench::benchState();
    const board::Panel panel{16, 1, board::PanelAlign::Left, {}};
    const QString message = PanelMessage.repeated(4);
    board::DrawPanelBoard(*state, message, panel, *face);
    for (auto _ : run)
        board::DrawPanelBoard(*state, message, panel, *face);
    run.counters["cells"] = double(qint64(state->Cells.columns) * state->Cells.rows);
    run.SetItemsProcessed(run.iterations() * state->Cells.columns * state->Cells.rows);
}

void drawPanelUnifont(benchmark::State& run) {
    drawPanel(run, QStringLiteral("Unifont"));
}
BENCHMARK(drawPanelUnifont)->Unit(benchmark::kMillisecond);

void drawPanelShinonome(benchmark::State& run) {
    drawPanel(run, QStringLiteral("Shinonome Gothic"));
}
BENCHMARK(drawPanelShinonome)->Unit(benchmark::kMillisecond);

void drawPanelOutline(benchmark::State& run) {
    drawPanel(run, QStringLiteral("DejaVu Sans"));
}
BENCHMARK(drawPanelOutline)->Unit(benchmark::kMillisecond);

// The plain render of a board as large as the Unifont panel's.
void drawPlainOfPanelSize(benchmark::State& run) {
    auto panel = bench::benchState();
    board::DrawPanelBoard(*panel, PanelMessage.repeated(4), board::Panel{16, 1, board::PanelAlign::Left, {}},
                          *library().find(QStringLiteral("Unifont")));
    auto state = bench::benchState();
    for (int tenths = 80; tenths <= 160; ++tenths) {
        board::applyFont(*state, QStringLiteral("DejaVu Sans"), QString::number(tenths / 10.0), false, false);
        state->SizeMongon.setCaption(QStringLiteral("A"));
        if (state->SizeMongon.Height() == 16)
            break;
    }
    const QString message = bench::messageOfWidth(*state, panel->Cells.columns);
    renderMessage(run, *state, message);
}
BENCHMARK(drawPlainOfPanelSize)->Unit(benchmark::kMillisecond);

} // namespace
