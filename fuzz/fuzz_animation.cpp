// The scrolling sign: a small board of cells in up to four lit colours, their cell pictures and the animation
// settings, all taken from the input, through the frame sequence and every encoder. Settings that checkSettings refuses
// are refused by every writer with the same failure, and nothing is written. Settings it takes give frames that are the
// board turned cell by cell (worked out here from the rule, not with the frame sequence), and files that decoders of
// their own read back as exactly those frames (a GIF of more than 256 colours: frames of the right number and size),
// with nothing left beside them.

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
// its own colour, told apart by shade (two such pictures of 12 × 12 hold more than 256 colours).
QImage cellPicture(Reader& input, int width, int height, int kind, int shade) {
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
                picture.setPixel(x, y, qRgb(x * 20 + shade, y * 20, qBlue(colours[0])));
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
    made.sign.litCell = cellPicture(input, width, height, kind, 5);
    // Now and then an unlit picture of another size, which no writer takes.
    const int unlitWidth = input.byte() == 255 ? width + 1 : width;
    made.sign.unlitCell = cellPicture(input, unlitWidth, height, kind, 0);
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
    const int gap = input.byte();
    settings.gap = gap == 255 ? -2 : gap % 9 - 1; // -2 is refused, -1 automatic
    settings.entrance = scroll::Entrance(input.byte() % 2);
    const int hold = input.byte();
    settings.holdMs = hold == 255 ? 60001 : hold % 4 * 250;
    const int blinks = input.byte();
    settings.blinks = blinks == 255 ? 21 : blinks % 3;
    // Further lit colours, each lit cell taking one of them or the sign's own; now and then a picture of
    // another size, or a cell of a colour without a picture, which no writer takes.
    const int further = input.byte() % 4;
    for (int colour = 2; colour <= 1 + further; ++colour) {
        const int odd = input.byte();
        made.sign.colourCells.push_back(
            cellPicture(input, odd == 255 ? width + 1 : width, height, kind, 5 + 2 * colour));
    }
    if (further > 0) {
        for (uint8_t& cell : cells.lit) {
            if (cell == 0)
                continue;
            const int pick = input.byte();
            const int pictureless = input.byte() == 255 ? 1 : 0;
            cell = uint8_t(1 + pick % (1 + further + pictureless));
        }
    }
    return made;
}

// The scroll by its rule, worked out here by brute force rather than with the frame sequence: the board and
// the gap after it along the way it moves make a strip; a turn moves the panel's window one cell along it.
struct Scroll {
    const Case& c;
    bool sideways;
    int length;  // the board along the way it moves
    int panel;   // the panel along the way it moves
    int columns; // the panel's columns
    int cycle;   // the strip's length

    explicit Scroll(const Case& made) : c(made) {
        const board::CellGrid& cells = c.sign.cells;
        const scroll::AnimationSettings& s = c.settings;
        sideways = s.direction == scroll::Direction::Left || s.direction == scroll::Direction::Right;
        columns = s.panelColumns == 0 ? cells.columns : s.panelColumns;
        length = sideways ? cells.columns : cells.rows;
        panel = sideways ? columns : cells.rows;
        const bool blank = s.entrance == scroll::Entrance::Blank;
        const int gap = s.gap >= 0 ? s.gap : (length > panel || blank ? panel : panel - length);
        cycle = length + gap;
    }

    // The strip position shown at panel position p (along the way it moves) after t turns.
    int shown(int p, int t) const {
        const bool forward =
            c.settings.direction == scroll::Direction::Left || c.settings.direction == scroll::Direction::Up;
        return ((forward ? p + t : p - t) % cycle + cycle) % cycle;
    }
    bool blankAt(int t) const {
        for (int p = 0; p < panel; ++p)
            if (shown(p, t) < length)
                return false;
        return true;
    }
    // Frame 0's turns: none, or for a blank entrance the last blank frame before the message comes in.
    int firstTurn() const {
        if (c.settings.entrance == scroll::Entrance::Board)
            return 0;
        for (int t = 0; t < cycle; t += c.settings.step)
            if (blankAt(t) && !blankAt(t + c.settings.step))
                return t;
        return -1;
    }
    // The first turn at which the message's leading edge stands at or past the panel's far edge.
    int holdTurn() const {
        const scroll::Direction d = c.settings.direction;
        const bool leadingIsFirst = d == scroll::Direction::Left || d == scroll::Direction::Up;
        for (int t = 0;; t += c.settings.step) {
            for (int back = 0; back < c.settings.step; ++back) {
                const int p = leadingIsFirst ? 0 : panel - 1;
                if (shown(p, t - back) == (leadingIsFirst ? 0 : length - 1))
                    return t % cycle;
            }
        }
    }
    int scrollFrames() const { return cycle / c.settings.step; }
    int holdFrame() const { return ((holdTurn() - firstTurn()) % cycle + cycle) % cycle / c.settings.step; }
    int frameCount() const { return scrollFrames() + 2 * c.settings.blinks; }

    // Frame k in playing order: -1 turns for a blank blink frame.
    int turnsOf(int k) const {
        const int hold = holdFrame();
        int frame = k;
        if (k > hold + 2 * c.settings.blinks)
            frame = k - 2 * c.settings.blinks;
        else if (k > hold)
            frame = (k - hold) % 2 == 1 ? -1 : hold;
        return frame < 0 ? -1 : firstTurn() + frame * c.settings.step;
    }
    int delayOf(int k) const {
        return k == holdFrame() && c.settings.holdMs > 0 ? c.settings.holdMs : c.settings.delayMs;
    }

    board::CellGrid cellsOf(int k) const {
        const board::CellGrid& cells = c.sign.cells;
        board::CellGrid view{columns, cells.rows, std::vector<uint8_t>(size_t(columns) * size_t(cells.rows))};
        const int t = turnsOf(k);
        if (t < 0)
            return view;
        for (int r = 0; r < cells.rows; ++r) {
            for (int col = 0; col < columns; ++col) {
                const int fromColumn = sideways ? shown(col, t) : col;
                const int fromRow = sideways ? r : shown(r, t);
                view.lit[size_t(r) * size_t(columns) + size_t(col)] =
                    fromColumn < cells.columns && fromRow < cells.rows ? cells.colour(fromColumn, fromRow) : 0;
            }
        }
        return view;
    }
};

QImage expectedPixels(const Case& c, const board::CellGrid& shown) {
    const QSize cell = c.sign.litCell.size();
    QImage frame(shown.columns * cell.width(), shown.rows * cell.height(), QImage::Format_RGB32);
    for (int r = 0; r < shown.rows; ++r) {
        for (int col = 0; col < shown.columns; ++col) {
            const uint8_t colour = shown.colour(col, r);
            const QImage& picture = colour == 0   ? c.sign.unlitCell
                                    : colour == 1 ? c.sign.litCell
                                                  : c.sign.colourCells[colour - 2];
            for (int y = 0; y < cell.height(); ++y) {
                for (int x = 0; x < cell.width(); ++x)
                    frame.setPixel(col * cell.width() + x, r * cell.height() + y, picture.pixel(x, y));
            }
        }
    }
    return frame;
}

// A row of cells as the bit formats store it: the leftmost cell in the top bit, 1 = lit; or at more bits a
// cell, each cell's colour number, the leftmost in the top bits.
QByteArray packedRow(const board::CellGrid& shown, int r, int bits = 1) {
    QByteArray bytes((shown.columns * bits + 7) / 8, '\0');
    for (int col = 0; col < shown.columns; ++col) {
        const int value = bits == 1 ? (shown.isLit(col, r) ? 1 : 0) : shown.colour(col, r);
        const int bit = col * bits; // from the row's first byte's top
        bytes[bit / 8] = char(uchar(bytes[bit / 8]) | value << (8 - bits - bit % 8));
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

// A #define of the header, or -1.
int defined(const QByteArray& header, const char* name) {
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("#define LUMIDOT_%1 (\\d+)").arg(QLatin1String(name)))
            .match(QString::fromUtf8(header));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

// The bytes of one of the header's arrays ("strip", "frames", "palette"), in the order they stand.
QByteArray headerArray(const QByteArray& header, const char* name) {
    QByteArray bytes;
    const qsizetype start = header.indexOf("uint8_t lumidot_" + QByteArray(name) + '[');
    const qsizetype end = header.indexOf("};", start);
    auto it = QRegularExpression(QStringLiteral("0x([0-9a-f]{2})"))
                  .globalMatch(QString::fromUtf8(header.mid(start, end - start)));
    while (start >= 0 && it.hasNext())
        bytes += char(it.next().captured(1).toInt(nullptr, 16));
    return bytes;
}

// Bits a cell of the header: 1, or CELL_BITS for a sign of several colours.
int cellBits(const QByteArray& header) {
    return std::max(1, defined(header, "CELL_BITS"));
}

// Frame k's cells read from a strip header as its comment says: a window of the panel's size into the strip,
// starting at FIRST + k × ADVANCE around it, blinks after the hold frame.
board::CellGrid stripFrame(const QByteArray& header, int k) {
    const int width = defined(header, "WIDTH"), height = defined(header, "HEIGHT");
    const int columns = defined(header, "STRIP_COLUMNS"), rows = defined(header, "STRIP_ROWS");
    const int columnBytes = defined(header, "COLUMN_BYTES");
    const int hold = defined(header, "HOLD_FRAME"), blinks = defined(header, "BLINKS");
    const QByteArray strip = headerArray(header, "strip");
    const int bits = cellBits(header);
    const int perByte = 8 / bits;
    board::CellGrid view{width, height, std::vector<uint8_t>(size_t(std::max(0, width * height)))};
    if (k > hold + 2 * blinks)
        k -= 2 * blinks;
    else if (k > hold && (k - hold) % 2 == 1)
        return view;
    else if (k > hold)
        k = hold;
    const bool sideways = header.contains("x = (uint16_t)((start + x)"); // the accessor moves x, or y
    const int length = sideways ? columns : rows;
    const int start = int((defined(header, "FIRST") + qint64(k) * defined(header, "ADVANCE")) % length);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int sx = sideways ? (start + x) % length : x;
            const int sy = sideways ? y : (start + y) % length;
            // The cell's place along its column or row, and its byte.
            const int along = columnBytes > 0 ? sy : sx;
            const int byte =
                columnBytes > 0 ? sx * columnBytes + sy / perByte : sy * ((columns * bits + 7) / 8) + sx / perByte;
            const int value = (uchar(strip[byte]) >> (8 - bits - along % perByte * bits)) & ((1 << bits) - 1);
            view.lit[size_t(y) * size_t(width) + size_t(x)] = uint8_t(value);
        }
    }
    return view;
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
    const Scroll rule(c);
    fuzz::require(rule.firstTurn() >= 0, "a blank entrance is taken only when a blank frame comes before the message");
    fuzz::require(sequence.frameCount() == rule.frameCount(), "one frame a step until the board is back, blinks too");

    QList<board::CellGrid> shown;
    QList<QImage> pixels;
    QImage drawn;
    for (int k = 0; k < sequence.frameCount(); ++k) {
        shown.append(rule.cellsOf(k));
        pixels.append(expectedPixels(c, shown.last()));
        fuzz::require(sequence.panelCells(k) == shown.last(), "a frame's cells are the strip turned to it");
        fuzz::require(sequence.drawFrame(k, drawn) && drawn == pixels.last(), "a frame is its cells drawn");
        fuzz::require(sequence.delayMs(k) == rule.delayOf(k), "the hold frame is held, the others shown a delay");
    }
    QSet<QRgb> colours;
    std::vector<const QImage*> pictures{&c.sign.unlitCell, &c.sign.litCell}; // by colour number
    for (const QImage& picture : c.sign.colourCells)
        pictures.push_back(&picture);
    for (const QImage* picture : pictures) {
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
            fuzz::require(defined(bytes, "FRAMES") == shown.size(), "the C header counts every frame");
            const int bits = cellBits(bytes);
            fuzz::require(bits == (pictures.size() == 2   ? 1
                                   : pictures.size() <= 4 ? 2
                                                          : 4),
                          "the C header takes as few bits a cell as the colours need");
            for (int k = 0; k < shown.size(); ++k)
                fuzz::require(stripFrame(bytes, k) == shown[k], "the C header's strip holds every frame's cells");
            if (bits > 1) {
                QByteArray palette;
                for (const QImage* picture : pictures) {
                    const QRgb middle = picture->pixel((picture->width() - 1) / 2, (picture->height() - 1) / 2);
                    const int rgb565 = (qRed(middle) >> 3) << 11 | (qGreen(middle) >> 2) << 5 | qBlue(middle) >> 3;
                    palette += char(qRed(middle));
                    palette += char(qGreen(middle));
                    palette += char(qBlue(middle));
                    palette += char(rgb565 >> 8);
                    palette += char(rgb565 & 0xff);
                }
                fuzz::require(headerArray(bytes, "palette") == palette,
                              "the C header's palette is each colour's middle pixel, RGB888 and RGB565");
            }
            scroll::CHeaderOptions frames;
            frames.layout = scroll::CHeaderOptions::Layout::Frames;
            fuzz::require(scroll::writeAnimation(c.sign, c.settings, file, format, frames).ok(),
                          "the frame-by-frame header is written");
            QByteArray table;
            for (const board::CellGrid& frame : shown)
                for (int r = 0; r < frame.rows; ++r)
                    table += packedRow(frame, r, bits);
            fuzz::require(headerArray(testsupport::readAll(file), "frames") == table,
                          "the frame-by-frame header holds them too");
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
            fuzz::require(still || decoded.delaysMs[k] == animationdecoders::writtenDelay(format, rule.delayOf(int(k))),
                          "every frame shows for its delay");
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
