#include "board/DrawBoard.h"
#include "board/fontface.h"
#include "board/rotation.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace {

// Column 4095 is the last whose origin fits in 16 bits with 8-pixel cells (8 · 4095 = 32760).
constexpr int WidestColumns = 4095;

// Grows the message, widest letters first, until it measures exactly WidestColumns pixels.
QString widestMessage(board::BoardState& state) {
    const QString letters = QStringLiteral("MWmwabcdefghijkl.,' ");
    QString message;
    for (bool grown = true; grown;) {
        grown = false;
        for (const QChar letter : letters) {
            state.SizeMongon.setCaption(message + letter);
            if (state.SizeMongon.Width() <= WidestColumns) {
                message += letter;
                grown = true;
                break;
            }
        }
    }
    state.SizeMongon.setCaption(message);
    return message;
}

// The widest board the 16-bit cell origins allow, rendered twice so that the mask is not cut.
std::unique_ptr<board::BoardState> widestBoard() {
    auto state = std::make_unique<board::BoardState>();
    board::applyFont(*state, QStringLiteral("DejaVu Sans"), QStringLiteral("10"), false, false);
    const QString message = widestMessage(*state);
    if (state->SizeMongon.Width() != WidestColumns)
        return nullptr;
    board::DrawBoard(*state, message);
    board::DrawBoard(*state, message);
    return state;
}

void rotateWidestBoard(benchmark::State& run) {
    static const std::unique_ptr<board::BoardState> state = widestBoard();
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

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen"); // measured without a display
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
