// The scrolling sign: a small board of cells, two cell pictures and the animation settings, all taken
// from the input, through the frame sequence and every encoder. Settings that checkSettings refuses are
// refused by every writer with the same failure, and nothing is written. Settings it takes give frames
// that are the board turned cell by cell (worked out here from the rule, not with the frame sequence),
// and files that decoders of their own read back as exactly those frames (a GIF of more than 256
// colours: frames of the right number and size), with nothing left beside them.

#include "fuzzfiles.h"

#include "scroll/framesequence.h"
#include "scroll/writeanimation.h"
#include "tests/animationdecoders.h"

#include <QDir>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>

namespace {

using scroll::AnimationFormat;

// The input read front to back; past its end every byte reads 0.
class Reader {
public:
    Reader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    int byte() { return m_at < m_size ? m_data[m_at++] : 0; }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_at = 0;
};

// A cell picture in one of three kinds of colour: flat, four colours from the input, or every pixel
// its own colour (two such pictures of 12 × 12 hold more than 256 colours).
QImage cellPicture(Reader& input, int width, int height, int kind, bool lit) {
    QImage picture(width, height, QImage::Format_RGB32);
    QRgb colours[4];
    for (QRgb& colour : colours)
        colour = qRgb(input.byte(), input.byte(), input.byte());
    int bits = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (kind == 0) {
                picture.setPixel(x, y, colours[0]);
            } else if (kind == 1) {
                if (x % 4 == 0)
                    bits = input.byte();
                picture.setPixel(x, y, colours[(bits >> (2 * (x % 4))) & 3]);
            } else {
                picture.setPixel(x, y, qRgb(x * 20 + (lit ? 5 : 0), y * 20, qBlue(colours[0])));
            }
        }
    }
    return picture;
}

struct Case {
    scroll::Sign sign;
    scroll::AnimationSettings settings;
};

Case caseOf(Reader& input) {
    Case made;
    board::CellGrid& cells = made.sign.cells;
    cells.columns = input.byte() % 11; // 0 makes a board without cells
    cells.rows = 1 + input.byte() % 5;
    const int width = 1 + input.byte() % 12;
    const int height = 1 + input.byte() % 12;
    const int kind = input.byte() % 3;
    made.sign.litCell = cellPicture(input, width, height, kind, true);
    // Now and then an unlit picture of another size, which no writer takes.
    const int unlitWidth = input.byte() == 255 ? width + 1 : width;
    made.sign.unlitCell = cellPicture(input, unlitWidth, height, kind, false);
    cells.lit.resize(size_t(cells.columns) * size_t(cells.rows));
    for (size_t i = 0; i < cells.lit.size(); i += 8) {
        const int bits = input.byte();
        for (size_t b = 0; b < 8 && i + b < cells.lit.size(); ++b)
            cells.lit[i + b] = uint8_t((bits >> b) & 1);
    }
    scroll::AnimationSettings& settings = made.settings;
    settings.panelColumns = input.byte() % 14 - 1; // -1 is refused
    const int delay = input.byte();
    settings.delayMs = delay == 0 ? 19 : delay == 255 ? 5001 : delay * 20; // just outside the range, or inside
    settings.direction = scroll::Direction(input.byte() % 4);
    settings.step = input.byte() % 6;
    const int loop = input.byte();
    settings.loopCount = loop == 255 ? 65536 : loop % 4;
    return made;
}

// What the panel shows in frame k, by the rule: the board widened with unlit cells to the panel, turned
// k × step cells in the direction, its first panel columns.
board::CellGrid expectedCells(const Case& c, int k) {
    const board::CellGrid& cells = c.sign.cells;
    const int panel = c.settings.panelColumns == 0 ? cells.columns : c.settings.panelColumns;
    const int width = std::max(cells.columns, panel);
    const int shift = k * c.settings.step;
    board::CellGrid shown{panel, cells.rows, std::vector<uint8_t>(size_t(panel) * size_t(cells.rows))};
    for (int r = 0; r < cells.rows; ++r) {
        for (int col = 0; col < panel; ++col) {
            int fromColumn = col;
            int fromRow = r;
            switch (c.settings.direction) {
            case scroll::Direction::Left:
                fromColumn = (col + shift) % width;
                break;
            case scroll::Direction::Right:
                fromColumn = ((col - shift) % width + width) % width;
                break;
            case scroll::Direction::Up:
                fromRow = (r + shift) % cells.rows;
                break;
            case scroll::Direction::Down:
                fromRow = ((r - shift) % cells.rows + cells.rows) % cells.rows;
                break;
            }
            shown.lit[size_t(r) * size_t(panel) + size_t(col)] =
                fromColumn < cells.columns && cells.isLit(fromColumn, fromRow) ? 1 : 0;
        }
    }
    return shown;
}

QImage expectedPixels(const Case& c, const board::CellGrid& shown) {
    const QSize cell = c.sign.litCell.size();
    QImage frame(shown.columns * cell.width(), shown.rows * cell.height(), QImage::Format_RGB32);
    for (int r = 0; r < shown.rows; ++r) {
        for (int col = 0; col < shown.columns; ++col) {
            const QImage& picture = shown.isLit(col, r) ? c.sign.litCell : c.sign.unlitCell;
            for (int y = 0; y < cell.height(); ++y) {
                for (int x = 0; x < cell.width(); ++x)
                    frame.setPixel(col * cell.width() + x, r * cell.height() + y, picture.pixel(x, y));
            }
        }
    }
    return frame;
}

// A row of cells as the bit formats store it: the leftmost cell in the top bit, 1 = lit.
QByteArray packedRow(const board::CellGrid& shown, int r) {
    QByteArray bytes((shown.columns + 7) / 8, '\0');
    for (int col = 0; col < shown.columns; ++col) {
        if (shown.isLit(col, r))
            bytes[col / 8] = char(uchar(bytes[col / 8]) | (0x80 >> (col % 8)));
    }
    return bytes;
}

QByteArray expectedPbm(const QList<board::CellGrid>& frames) {
    QByteArray pbm;
    for (const board::CellGrid& shown : frames) {
        pbm += "P4\n" + QByteArray::number(shown.columns) + ' ' + QByteArray::number(shown.rows) + '\n';
        for (int r = 0; r < shown.rows; ++r)
            pbm += packedRow(shown, r);
    }
    return pbm;
}

// The bytes of the header's frame table, in the order they stand, and its LUMIDOT_FRAMES.
QByteArray headerTable(const QByteArray& header, int& frameCount) {
    const QRegularExpressionMatch frames =
        QRegularExpression(QStringLiteral("#define LUMIDOT_FRAMES (\\d+)")).match(QString::fromUtf8(header));
    frameCount = frames.hasMatch() ? frames.captured(1).toInt() : -1;
    QByteArray table;
    const qsizetype start = header.indexOf("= {");
    auto it = QRegularExpression(QStringLiteral("0x([0-9a-f]{2})")).globalMatch(QString::fromUtf8(header.mid(start)));
    while (start >= 0 && it.hasNext())
        table += char(it.next().captured(1).toInt(nullptr, 16));
    return table;
}

QString fileFor(AnimationFormat format) {
    static const char* const names[] = {"sign.gif", "sign.webp", "sign.png", "sign.pbm", "sign.h"};
    return fuzz::scratchPath(QLatin1String(names[int(format)]));
}

bool onlyTheFile(const QString& file) {
    const QDir folder = QFileInfo(file).dir();
    const QStringList entries = folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    return std::none_of(entries.begin(), entries.end(),
                        [](const QString& entry) { return entry.contains(QLatin1String(".lumidot-")); });
}

void checkRefused(const Case& c, const platform::Result& refusal) {
    for (const AnimationFormat format : {AnimationFormat::Gif, AnimationFormat::WebP, AnimationFormat::Apng,
                                         AnimationFormat::Pbm, AnimationFormat::CHeader}) {
        const QString file = fileFor(format);
        QFile::remove(file);
        const platform::Result result = scroll::writeAnimation(c.sign, c.settings, file, format);
        fuzz::require(result.failure == refusal.failure && result.detail == refusal.detail && result.file == file,
                      "settings checkSettings refuses are refused by every writer, naming the file");
        fuzz::require(!QFile::exists(file) && onlyTheFile(file), "a refused animation writes nothing");
    }
}

void checkWritten(const Case& c) {
    const scroll::FrameSequence sequence(c.sign, c.settings);
    const board::CellGrid& cells = c.sign.cells;
    const int panel = c.settings.panelColumns == 0 ? cells.columns : c.settings.panelColumns;
    const bool sideways =
        c.settings.direction == scroll::Direction::Left || c.settings.direction == scroll::Direction::Right;
    const int cycle = sideways ? std::max(cells.columns, panel) : cells.rows;
    fuzz::require(sequence.frameCount() == cycle / c.settings.step, "one frame a step until the board is back");

    QList<board::CellGrid> shown;
    QList<QImage> pixels;
    QImage drawn;
    for (int k = 0; k < sequence.frameCount(); ++k) {
        shown.append(expectedCells(c, k));
        pixels.append(expectedPixels(c, shown.last()));
        fuzz::require(sequence.panelCells(k) == shown.last(), "a frame's cells are the board turned k steps");
        fuzz::require(sequence.drawFrame(k, drawn) && drawn == pixels.last(), "a frame is its cells drawn");
    }
    QSet<QRgb> colours;
    for (const QImage* picture : {&c.sign.litCell, &c.sign.unlitCell}) {
        for (int y = 0; y < picture->height(); ++y)
            for (int x = 0; x < picture->width(); ++x)
                colours.insert(picture->pixel(x, y));
    }

    for (const AnimationFormat format : {AnimationFormat::Gif, AnimationFormat::WebP, AnimationFormat::Apng,
                                         AnimationFormat::Pbm, AnimationFormat::CHeader}) {
        const QString file = fileFor(format);
        const platform::Result result = scroll::writeAnimation(c.sign, c.settings, file, format);
        fuzz::require(result.ok(), "settings checkSettings takes are written");
        fuzz::require(onlyTheFile(file), "no temporary file is left");
        const QByteArray bytes = testsupport::readAll(file);
        if (format == AnimationFormat::Pbm) {
            fuzz::require(bytes == expectedPbm(shown), "the PBM holds every frame's cells");
            continue;
        }
        if (format == AnimationFormat::CHeader) {
            int frameCount = 0;
            QByteArray table;
            for (const board::CellGrid& frame : shown)
                for (int r = 0; r < frame.rows; ++r)
                    table += packedRow(frame, r);
            fuzz::require(headerTable(bytes, frameCount) == table && frameCount == shown.size(),
                          "the C header holds every frame's cells");
            continue;
        }
        const animationdecoders::Decoded decoded = animationdecoders::decode(format, file);
        fuzz::require(decoded.problem.isEmpty() && decoded.frames.size() == shown.size(),
                      "a decoder reads every frame");
        // libwebp's muxer stores a single frame that covers the canvas as a still picture, which shows the same.
        const bool still = format == AnimationFormat::WebP && shown.size() == 1;
        fuzz::require(still || decoded.plays == c.settings.loopCount, "the file plays as often as asked");
        const bool exact = format != AnimationFormat::Gif || colours.size() <= 256;
        for (qsizetype k = 0; k < decoded.frames.size(); ++k) {
            fuzz::require(exact ? decoded.frames[k] == pixels[k] : decoded.frames[k].size() == pixels[k].size(),
                          "a decoded frame is the frame (a GIF of many colours: its size)");
            fuzz::require(still || decoded.delaysMs[k] == animationdecoders::writtenDelay(format, c.settings.delayMs),
                          "every frame shows for the delay");
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Reader input(data, size);
    const Case c = caseOf(input);
    const platform::Result checked = scroll::checkSettings(c.sign, c.settings);
    if (checked.ok())
        checkWritten(c);
    else
        checkRefused(c, checked);
    return 0;
}
