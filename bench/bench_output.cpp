#include "bench/boards.h"

#include "board/cellrows.h"
#include "codec/TransG32.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// Files go to memory where the system has it, so that the writers are measured and not the disk.
QString outputFolderBase() {
    return QFileInfo(QStringLiteral("/dev/shm")).isWritable()
               ? QStringLiteral("/dev/shm/lumidot-bench-XXXXXX")
               : QDir::tempPath() + QStringLiteral("/lumidot-bench-XXXXXX");
}

// Board 0 is the widest board the cell origins allow (DejaVu Sans letters, the built-in dots), board 1
// the comparison job's board (tools/bench.sh compare).
const platform::Surface* boardNumbered(benchmark::State& run, int64_t number) {
    static const std::unique_ptr<board::BoardState> widest = bench::widestBoard();
    static const platform::Surface job = bench::jobBoard();
    const platform::Surface* board = number == 0 ? (widest ? &widest->Board : nullptr) : &job;
    if (!board || board->image().isNull()) {
        run.SkipWithError("the board could not be made");
        return nullptr;
    }
    return board;
}

platform::Result writeAs(const platform::Surface& board, const QString& name, int kind) {
    const int32_t width = board.ScaleWidth(), height = board.ScaleHeight();
    switch (kind) {
    case 3:
        return codec::SavePicture(board, name);
    case 4:
        return codec::DCSavetoJPEG(board, width, height, name, 50, 0);
    default:
        return codec::DCSavetoPNG(board, width, height, name, uint8_t(kind));
    }
}

// Writes a board in one format through the codec: PNG settings 0, 1 and 2, then BMP (3) and JPEG (4).
void writeBoard(benchmark::State& run) {
    const platform::Surface* board = boardNumbered(run, run.range(0));
    if (!board)
        return;
    QTemporaryDir folder(outputFolderBase());
    const int kind = int(run.range(1));
    const QString name = folder.filePath(kind <= 2 ? "board.png" : kind == 3 ? "board.bmp" : "board.jpg");
    for (auto _ : run) {
        if (!writeAs(*board, name, kind).ok())
            run.SkipWithError("the board could not be written");
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    run.counters["peak_rss_MiB"] = double(usage.ru_maxrss) / 1024.0;
    run.counters["file_KiB"] = double(QFileInfo(name).size()) / 1024.0;
    run.counters["board_MiB"] = double(board->image().sizeInBytes()) / 1048576.0;
}
BENCHMARK(writeBoard)
    ->ArgNames({"board_widest_0_job_1", "png_setting_0_1_2_bmp_3_jpeg_4"})
    ->ArgsProduct({{0, 1}, {0, 1, 2, 3, 4}})
    ->Unit(benchmark::kMillisecond);

double millisecondsOf(const auto& step) {
    const auto start = std::chrono::steady_clock::now();
    step();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// The BMP writer against the least any writer of those bytes can take: the same number of bytes from a
// ready buffer to a new file in the same folder, 1 MiB a call. Run alternately; the counter is the ratio.
void bmpAgainstItsBytes(benchmark::State& run) {
    const platform::Surface* board = boardNumbered(run, run.range(0));
    if (!board)
        return;
    QTemporaryDir folder(outputFolderBase());
    const QString bmp = folder.filePath("board.bmp");
    if (!codec::SavePicture(*board, bmp).ok()) {
        run.SkipWithError("the board could not be written");
        return;
    }
    const std::vector<char> bytes(size_t(QFileInfo(bmp).size()), 'x');
    const QByteArray raw = QFile::encodeName(folder.filePath("raw.bin"));
    double bmpTime = 0, rawTime = 0;
    for (auto _ : run) {
        bmpTime += millisecondsOf([&] { codec::SavePicture(*board, bmp); });
        rawTime += millisecondsOf([&] {
            const int descriptor = ::open(raw.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            for (size_t at = 0; at < bytes.size(); at += 1u << 20)
                if (::write(descriptor, bytes.data() + at, std::min<size_t>(1u << 20, bytes.size() - at)) < 0)
                    break;
            ::close(descriptor);
        });
    }
    run.counters["bmp_ms"] = bmpTime / double(run.iterations());
    run.counters["raw_ms"] = rawTime / double(run.iterations());
    run.counters["ratio"] = bmpTime / rawTime;
}
// A board as the programs write it, from its cells (deflated from the tiles), against the same board's
// painted pixels through the general compressor (libdeflate), alternately, at PNG settings 0, 1 and 2.
// Counters: each one's time and file, and the ratio of the times.
void pngFromCellsAgainstPixels(benchmark::State& run) {
    static const std::unique_ptr<board::BoardState> widest = bench::widestBoard();
    static const std::unique_ptr<board::BoardState> job = bench::jobState();
    const board::BoardState* state = run.range(0) == 0 ? widest.get() : job.get();
    if (!state) {
        run.SkipWithError("the board could not be made");
        return;
    }
    QTemporaryDir folder(outputFolderBase());
    const QString fromCells = folder.filePath("cells.png"), fromPixels = folder.filePath("pixels.png");
    const auto setting = uint8_t(run.range(1));
    board::CellRows cells(*state);
    const platform::Surface& board = state->Board;
    double cellsTime = 0, pixelsTime = 0;
    for (auto _ : run) {
        cellsTime += millisecondsOf([&] { codec::DCSavetoPNG(cells, fromCells, setting); });
        pixelsTime += millisecondsOf(
            [&] { codec::DCSavetoPNG(board, board.ScaleWidth(), board.ScaleHeight(), fromPixels, setting); });
    }
    run.counters["cells_ms"] = cellsTime / double(run.iterations());
    run.counters["pixels_ms"] = pixelsTime / double(run.iterations());
    run.counters["ratio"] = cellsTime / pixelsTime;
    run.counters["cells_KiB"] = double(QFileInfo(fromCells).size()) / 1024.0;
    run.counters["pixels_KiB"] = double(QFileInfo(fromPixels).size()) / 1024.0;
}
BENCHMARK(pngFromCellsAgainstPixels)
    ->ArgNames({"board_widest_0_job_1", "png_setting"})
    ->ArgsProduct({{0, 1}, {0, 1, 2}})
    ->Unit(benchmark::kMillisecond);

BENCHMARK(bmpAgainstItsBytes)->ArgName("board_widest_0_job_1")->DenseRange(0, 1)->Unit(benchmark::kMillisecond);

} // namespace
