#include "bench/boards.h"
#include "board/fontface.h"
#include "board/panelmask.h"
#include "dotfont/facelibrary.h"
#include "dots/LoadDotImage.h"
#include "dots/colourmarks.h"
#include "dots/dotstyle.h"

#include <QDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

// The board's size, after a run that rendered it.
void countBoard(benchmark::State& run, const board::BoardState& state) {
    const qint64 cells = qint64(state.Cells.columns) * state.Cells.rows;
    run.counters["cells"] = double(cells);
    run.counters["board_pixels"] = double(qint64(state.Board.ScaleWidth()) * state.Board.ScaleHeight());
    run.SetItemsProcessed(run.iterations() * cells);
}

// Renders message once the mask is as large as the board, as from the second press of the start button.
void renderMessage(benchmark::State& run, board::BoardState& state, const QString& message) {
    board::DrawBoard(state, message);
    for (auto _ : run)
        board::DrawBoard(state, message);
    countBoard(run, state);
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

// The same widest message of 8-pixel cells with dots made from a colour: against drawWidest/dot:8.
void drawWidestGeneratedDots(benchmark::State& run) {
    auto state = bench::benchState();
    dots::useGeneratedDots(*state, dots::DotStyle{});
    renderMessage(run, *state, bench::messageOfWidth(*state, 32767 / 8));
}
BENCHMARK(drawWidestGeneratedDots)->Unit(benchmark::kMillisecond);

// The same board as drawWidest/dot:8 (the same text and dots, so the same cells lit), its second half lit green:
// against drawWidest/dot:8, what a coloured render adds.
void drawWidestInTwoColours(benchmark::State& run) {
    auto state = bench::benchState();
    state->Dot[0].setPicture(bench::squareDot(8, qRgb(255, 0, 0)));
    state->Dot[1].setPicture(bench::squareDot(8, qRgb(60, 0, 0)));
    const QString message = bench::messageOfWidth(*state, 32767 / 8);
    board::MarkedText marked;
    if (!dots::readColourMarks(
             message.left(message.size() / 2) + QStringLiteral("{green}") + message.mid(message.size() / 2), marked)
             .ok()) {
        run.SkipWithError("the message's marks do not read");
        return;
    }
    const board::LitDotIn litDotIn = [&](QRgb colour) {
        return dots::litDotIn(colour, state->Dot[0].image(), std::nullopt);
    };
    board::DrawBoard(*state, marked, litDotIn);
    for (auto _ : run)
        board::DrawBoard(*state, marked, litDotIn);
    countBoard(run, *state);
    run.counters["colours"] = double(state->ColourCellPictures.size() + 1);
}
BENCHMARK(drawWidestInTwoColours)->Unit(benchmark::kMillisecond);

} // namespace

namespace {

// A panel 16 rows high: the fitted render with a dot face (Unifont's outlines sampled dot by dot,
// Shinonome's bitmaps blitted) and with an outline face (DejaVu Sans at the pixel size whose line fits), against a
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

// A plain render of a board as large as the Unifont panel's: DejaVu Sans at the point size whose line is
// 16 rows, and a message as wide as the panel's.
struct PlainOfPanelSize {
    std::unique_ptr<board::BoardState> state;
    QString points;
    QString message;
};
PlainOfPanelSize plainOfPanelSize() {
    auto panel = bench::benchState();
    board::DrawPanelBoard(*panel, PanelMessage.repeated(4), board::Panel{16, 1, board::PanelAlign::Left, {}},
                          *library().find(QStringLiteral("Unifont")));
    PlainOfPanelSize plain{bench::benchState(), {}, {}};
    for (int tenths = 80; tenths <= 160; ++tenths) {
        plain.points = QString::number(tenths / 10.0);
        board::applyFont(*plain.state, QStringLiteral("DejaVu Sans"), plain.points, false, false);
        plain.state->SizeMongon.setCaption(QStringLiteral("A"));
        if (plain.state->SizeMongon.Height() == 16)
            break;
    }
    plain.message = bench::messageOfWidth(*plain.state, panel->Cells.columns);
    return plain;
}

void drawPlainOfPanelSize(benchmark::State& run) {
    PlainOfPanelSize plain = plainOfPanelSize();
    renderMessage(run, *plain.state, plain.message);
}
BENCHMARK(drawPlainOfPanelSize)->Unit(benchmark::kMillisecond);

// The same plain render as a run of lumidot-render does it: the font chosen, the board drawn.
void drawPlainOfPanelSizeFromNothing(benchmark::State& run) {
    PlainOfPanelSize plain = plainOfPanelSize();
    for (auto _ : run) {
        board::applyFont(*plain.state, QStringLiteral("DejaVu Sans"), plain.points, false, false);
        board::DrawBoard(*plain.state, plain.message);
    }
}
BENCHMARK(drawPlainOfPanelSizeFromNothing)->Unit(benchmark::kMillisecond);

// The fitted render as a run of lumidot-render does it: the faces found, the face looked up by name, its
// glyphs read, the board drawn.
void drawPanelFromNothing(benchmark::State& run, const QString& faceName) {
    auto state = bench::benchState();
    const board::Panel panel{16, 1, board::PanelAlign::Left, {}};
    const QString message = PanelMessage.repeated(4);
    for (auto _ : run) {
        const auto faces = dotfont::FaceLibrary::discover(dotfont::FaceLibrary::systemFontFolders(QDir::homePath()));
        const auto face = faces.find(faceName);
        if (!face) {
            run.SkipWithError("face not installed");
            return;
        }
        board::DrawPanelBoard(*state, message, panel, *face);
    }
}

void drawPanelShinonomeFromNothing(benchmark::State& run) {
    drawPanelFromNothing(run, QStringLiteral("Shinonome Gothic"));
}
BENCHMARK(drawPanelShinonomeFromNothing)->Unit(benchmark::kMillisecond);

void drawPanelUnifontFromNothing(benchmark::State& run) {
    drawPanelFromNothing(run, QStringLiteral("Unifont"));
}
BENCHMARK(drawPanelUnifontFromNothing)->Unit(benchmark::kMillisecond);

void drawPanelDotGothicFromNothing(benchmark::State& run) {
    drawPanelFromNothing(run, QStringLiteral("DotGothic16"));
}
BENCHMARK(drawPanelDotGothicFromNothing)->Unit(benchmark::kMillisecond);

// Reading the font folders for every dot face, as listing the faces does.
void discoverDotFaces(benchmark::State& run) {
    const QStringList folders = dotfont::FaceLibrary::systemFontFolders(QDir::homePath());
    for (auto _ : run)
        benchmark::DoNotOptimize(dotfont::FaceLibrary::discover(folders).faces().size());
}
BENCHMARK(discoverDotFaces)->Unit(benchmark::kMillisecond);

} // namespace
