#include "scroll/cheaderencoder.h"

#include "scroll/cellbits.h"
#include "scroll/framesequence.h"
#include "scroll/output.h"

#include <QRegularExpression>

#include <vector>

namespace scroll {

namespace {

constexpr char HexDigits[] = "0123456789abcdef";

void appendByte(QByteArray& text, uint8_t byte) {
    const char hex[] = {'0', 'x', HexDigits[byte >> 4], HexDigits[byte & 15]};
    text.append(hex, 4);
}

// Bytes as an array's body, sixteen a line.
QByteArray arrayBody(const std::vector<uint8_t>& bytes) {
    QByteArray text;
    for (size_t i = 0; i < bytes.size(); ++i) {
        text += i % 16 == 0 ? "    " : " ";
        appendByte(text, bytes[i]);
        text += i % 16 == 15 || i + 1 == bytes.size() ? ",\n" : ",";
    }
    return text;
}

// The strip's cells at bits a cell, most significant first: column by column (each column top to bottom in
// whole bytes) or row by row (each row left to right in whole bytes).
std::vector<uint8_t> packedStrip(const board::CellGrid& strip, CHeaderOptions::Scan scan, int bits) {
    const bool byColumn = scan == CHeaderOptions::Scan::Columns;
    const int lines = byColumn ? strip.columns : strip.rows;
    const int length = byColumn ? strip.rows : strip.columns;
    const int perByte = 8 / bits;
    const size_t lineBytes = size_t(length * bits + 7) / 8;
    std::vector<uint8_t> bytes(size_t(lines) * lineBytes);
    for (int line = 0; line < lines; ++line) {
        for (int i = 0; i < length; ++i) {
            const uint8_t colour = byColumn ? strip.colour(line, i) : strip.colour(i, line);
            const unsigned value = bits == 1 ? (colour != 0 ? 1u : 0u) : colour;
            bytes[size_t(line) * lineBytes + size_t(i / perByte)] |= uint8_t(value << (8 - bits - i % perByte * bits));
        }
    }
    return bytes;
}

// The cell at place i of a line of cells, read from the line's bytes at `line` (a C expression of its first byte's
// address offset) with reader: a C expression.
QByteArray cellRead(const QByteArray& reader, const QByteArray& line, const QByteArray& i, int bits) {
    const int perByte = 8 / bits;
    const QByteArray byte = reader + "(&" + line + (perByte == 1 ? i : i + " / " + QByteArray::number(perByte)) + "])";
    if (bits == 8)
        return byte;
    const QByteArray shift = bits == 1 ? "7 - " + i + " % 8"
                                       : QByteArray::number(8 - bits) + " - " + i + " % " +
                                             QByteArray::number(perByte) + " * " + QByteArray::number(bits);
    return "(" + byte + " >> (" + shift + ")) & " + QByteArray::number((1 << bits) - 1);
}

// The colour a cell of a picture shows: its centre pixel (a generated dot's is its colour exactly).
QRgb cellColour(const QImage& picture) {
    return picture.pixel((picture.width() - 1) / 2, (picture.height() - 1) / 2);
}

} // namespace

bool isHeaderName(const QString& name) {
    static const QRegularExpression identifier(QStringLiteral("\\A[A-Za-z_][A-Za-z0-9_]{0,62}\\z"));
    return identifier.match(name).hasMatch();
}

QByteArray CHeaderEncoder::macro(const char* name) const {
    return m_options.name.toUpper().toLatin1() + '_' + name;
}

QByteArray CHeaderEncoder::data(const char* name) const {
    return m_options.name.toLower().toLatin1() + '_' + name;
}

platform::Result CHeaderEncoder::begin(Output& output, const AnimationHeader& header) {
    m_output = &output;
    m_frame = 0;
    const std::vector<QImage>& pictures = header.sequence->cellPictures();
    m_bits = bitsPerCell(int(pictures.size()) - 1);
    const bool coloured = m_bits > 1;
    const bool strip = m_options.layout == CHeaderOptions::Layout::Strip;
    const ScrollPlan& plan = header.sequence->plan();
    const auto define = [this](const char* name, qint64 value, const char* comment = nullptr) {
        QByteArray line = "#define " + macro(name) + ' ' + QByteArray::number(value);
        return comment ? line + " /* " + comment + " */\n" : line + '\n';
    };
    const QByteArray cell = data("cell");
    const QByteArray delay = data("delay");
    QByteArray text = "/* A scrolling sign for an LED panel, made by Lumidot.\n"
                      " * " +
                      cell;
    if (coloured)
        text += "(frame, x, y) is the colour of cell (x, y) of the panel, x from the left and y from the\n"
                " * top, in frame 0 .. " +
                macro("FRAMES") +
                " - 1: 0 where it is unlit, else the number of the colour it is lit in.\n"
                " * Show each frame for " +
                delay + "(frame) milliseconds; the first frame follows the last.\n";
    else
        text += "(frame, x, y) is 1 where cell (x, y) of the panel, x from the left and y from the top,\n"
                " * is lit in frame 0 .. " +
                macro("FRAMES") +
                " - 1, and 0 where it is unlit. Show each frame for\n"
                " * " +
                delay + "(frame) milliseconds; the first frame follows the last.\n";
    const QByteArray cellsInBytes = coloured ? QByteArray::number(m_bits) + " bits a cell, the " : QByteArray("the ");
    if (strip) {
        const bool byColumn = m_options.scan == CHeaderOptions::Scan::Columns;
        if (coloured)
            text += " * " + data("strip") + " holds the message and the gap after it once, " +
                    (byColumn ? "column by column: each column's cells\n * top to bottom, "
                              : "row by row: each row's cells left\n * to right, ") +
                    cellsInBytes + (byColumn ? "top" : "leftmost") +
                    " cell in the most significant bits of its first byte.\n"
                    " * Each frame shows a window of the panel's size into it.\n";
        else
            text +=
                " * " + data("strip") + " holds the message and the gap after it once, " +
                (byColumn ? "column by column: each column's cells\n"
                            " * top to bottom, the top cell in the most significant bit (0x80) of its first byte. "
                          : "row by row: each row's cells left\n"
                            " * to right, the leftmost cell in the most significant bit (0x80) of its first byte. ") +
                "Each frame\n * shows a window of the panel's size into it.";
    } else {
        if (coloured)
            text += " * " + data("frames") + "[frame][row][byte] holds every frame, each row of cells at " +
                    QByteArray::number(m_bits) +
                    " bits a\n * cell: the leftmost cell in the most significant bits of the row's first byte, "
                    "unused bits at the\n * end 0.\n";
        else
            text += " * " + data("frames") +
                    "[frame][row][byte] holds every frame, each row of cells as bits: the leftmost\n"
                    " * cell in the most significant bit (0x80) of the row's first byte, unused bits at the end 0.";
    }
    if (coloured)
        text += " * " + data("palette") +
                "[colour] is each colour as the middle of its cell shows it (entry 0: an\n"
                " * unlit cell's): RGB888 in its first three bytes (red, green, blue), then RGB565 (red's top five\n"
                " * bits, green's top six, blue's top five) in two bytes, high byte first. " +
                data("rgb888") + "(colour)\n * gives 0xRRGGBB, " + data("rgb565") + "(colour) the RGB565 value.";
    text += " */\n";
    text += "#ifndef " + macro("SCROLL_H") + "\n#define " + macro("SCROLL_H") + "\n\n#include <stdint.h>\n\n";
    if (m_options.progmem)
        text += "#ifdef __AVR__\n#include <avr/pgmspace.h>\n#define " + macro("DATA") + " PROGMEM\n#define " +
                macro("BYTE") + "(address) pgm_read_byte(address)\n#else\n";
    text += "#define " + macro("DATA") + "\n#define " + macro("BYTE") + "(address) (*(address))\n";
    if (m_options.progmem)
        text += "#endif\n";
    text += '\n';
    text += define("WIDTH", header.columns, "cells across the panel");
    text += define("HEIGHT", header.rows, "rows");
    text += define("FRAMES", header.frameCount, "frames in one cycle");
    text += define("DELAY_MS", header.delayMs, "how long each frame shows, but a held one");
    text += define("LOOPS", header.loopCount, "plays of the cycle, 0 = forever");
    text += define("HOLD_FRAME", plan.holdFrame, "the frame held when the message is in");
    text += define("HOLD_MS", plan.holdMs, "how long it shows; 0: as long as the others");
    text += define("BLINKS", plan.blinks, "blank frames after it, each followed by the held frame again");
    if (coloured) {
        text += define("COLORS", qint64(pictures.size()), "colour numbers, 0 (unlit) among them");
        text += define("CELL_BITS", m_bits, "bits a cell");
    }

    if (!strip)
        text += define("ROW_BYTES", (header.columns * m_bits + 7) / 8,
                       coloured ? "ceil(WIDTH * CELL_BITS / 8)" : "ceil(WIDTH / 8)");
    // Frame numbers in the smallest type that holds them all.
    m_index = header.frameCount > 0xffff ? "uint32_t" : "uint16_t";
    const QByteArray& index = m_index;
    text += "\nstatic inline " + index + ' ' + delay + '(' + index +
            " frame) {\n    return frame == " + macro("HOLD_FRAME") + " && " + macro("HOLD_MS") + " != 0 ? " +
            macro("HOLD_MS") + " : " + macro("DELAY_MS") + ";\n}\n\n";
    if (coloured)
        text += palette(pictures);
    if (!strip) {
        text += "static const uint8_t " + data("frames") + '[' + macro("FRAMES") + "][" + macro("HEIGHT") + "][" +
                macro("ROW_BYTES") + "] " + macro("DATA") + " = {\n";
        output.write(text);
        return output.failure();
    }

    const board::CellGrid cells = header.sequence->strip();
    const bool byColumn = m_options.scan == CHeaderOptions::Scan::Columns;
    text += define("STRIP_COLUMNS", cells.columns, plan.sideways ? "the message and the gap after it" : nullptr);
    text += define("STRIP_ROWS", cells.rows, plan.sideways ? nullptr : "the message and the gap after it");
    if (byColumn)
        text += define("COLUMN_BYTES", (cells.rows * m_bits + 7) / 8,
                       coloured ? "ceil(STRIP_ROWS * CELL_BITS / 8)" : "ceil(STRIP_ROWS / 8)");
    else
        text += define("ROW_BYTES", (cells.columns * m_bits + 7) / 8,
                       coloured ? "ceil(STRIP_COLUMNS * CELL_BITS / 8)" : "ceil(STRIP_COLUMNS / 8)");
    const int advance = plan.forward ? plan.step : plan.cycle - plan.step;
    text += define("FIRST", plan.windowStart(plan.firstRotation),
                   plan.sideways ? "the strip's column at the panel's left edge in frame 0"
                                 : "the strip's row at the panel's top edge in frame 0");
    text += define("ADVANCE", advance % plan.cycle, "how far that moves a frame, around the strip");
    const std::vector<uint8_t> bytes = packedStrip(cells, m_options.scan, m_bits);
    text += "\nstatic const uint8_t " + data("strip") + '[' + QByteArray::number(qint64(bytes.size())) + "] " +
            macro("DATA") + " = {\n" + arrayBody(bytes) + "};\n\n";

    const QByteArray length = macro(plan.sideways ? "STRIP_COLUMNS" : "STRIP_ROWS");
    const QByteArray moved = plan.sideways ? "x" : "y";
    const QByteArray line = byColumn ? data("strip") + "[(uint32_t)x * " + macro("COLUMN_BYTES") + " + "
                                     : data("strip") + "[(uint32_t)y * " + macro("ROW_BYTES") + " + ";
    const QByteArray along = byColumn ? "y" : "x";
    text += "static inline uint8_t " + cell + '(' + index +
            " frame, uint16_t x, uint16_t y) {\n"
            "    uint32_t start;\n"
            "    if (frame > " +
            macro("HOLD_FRAME") + " + 2 * " + macro("BLINKS") +
            ") {\n"
            "        frame -= 2 * " +
            macro("BLINKS") +
            ";\n"
            "    } else if (frame > " +
            macro("HOLD_FRAME") +
            ") {\n"
            "        if ((frame - " +
            macro("HOLD_FRAME") +
            ") % 2 == 1)\n"
            "            return 0;\n"
            "        frame = " +
            macro("HOLD_FRAME") +
            ";\n"
            "    }\n"
            "    start = (" +
            macro("FIRST") + " + (uint32_t)frame * " + macro("ADVANCE") + " % " + length + ") % " + length +
            ";\n"
            "    " +
            moved + " = (uint16_t)((start + " + moved + ") % " + length +
            ");\n"
            "    return " +
            cellRead(macro("BYTE"), line, along, m_bits) + ";\n}\n\n#endif\n";
    output.write(text);
    return output.failure();
}

// The palette array and its two readers.
QByteArray CHeaderEncoder::palette(const std::vector<QImage>& pictures) const {
    std::vector<uint8_t> bytes;
    for (const QImage& picture : pictures) {
        const QRgb colour = cellColour(picture);
        const unsigned rgb565 =
            unsigned(qRed(colour) >> 3) << 11 | unsigned(qGreen(colour) >> 2) << 5 | unsigned(qBlue(colour) >> 3);
        bytes.insert(bytes.end(), {uint8_t(qRed(colour)), uint8_t(qGreen(colour)), uint8_t(qBlue(colour)),
                                   uint8_t(rgb565 >> 8), uint8_t(rgb565 & 0xff)});
    }
    const QByteArray table = data("palette");
    const QByteArray byte = macro("BYTE");
    const auto entry = [&](int i) { return byte + "(&" + table + "[colour][" + QByteArray::number(i) + "])"; };
    QByteArray text = "static const uint8_t " + table + '[' + macro("COLORS") + "][5] " + macro("DATA") + " = {\n";
    for (size_t colour = 0; colour < pictures.size(); ++colour) {
        text += "    {";
        for (size_t i = 0; i < 5; ++i) {
            if (i > 0)
                text += ", ";
            appendByte(text, bytes[colour * 5 + i]);
        }
        text += "},\n";
    }
    text += "};\n\n";
    text += "static inline uint32_t " + data("rgb888") + "(uint8_t colour) {\n    return (uint32_t)" + entry(0) +
            " << 16 | (uint32_t)" + entry(1) + " << 8 | " + entry(2) + ";\n}\n\n";
    text += "static inline uint16_t " + data("rgb565") + "(uint8_t colour) {\n    return (uint16_t)((unsigned)" +
            entry(3) + " << 8 | " + entry(4) + ");\n}\n\n";
    return text;
}

platform::Result CHeaderEncoder::addFrame(const Frame& frame) {
    if (m_options.layout == CHeaderOptions::Layout::Strip)
        return m_output->failure(); // the strip holds every frame
    const board::CellGrid& cells = frame.cells;
    std::vector<uint8_t> row(size_t(bytesPerRow(cells, m_bits)));
    QByteArray text = "    /* frame " + QByteArray::number(m_frame++) + " */\n    {\n";
    for (int r = 0; r < cells.rows; ++r) {
        packRow(cells, r, row.data(), m_bits);
        text += "        {";
        for (size_t i = 0; i < row.size(); ++i) {
            if (i > 0)
                text += ", ";
            appendByte(text, row[i]);
        }
        text += "},\n";
    }
    text += "    },\n";
    m_output->write(text);
    return m_output->failure();
}

platform::Result CHeaderEncoder::finish() {
    if (m_options.layout == CHeaderOptions::Layout::Frames) {
        m_output->write("};\n\nstatic inline uint8_t " + data("cell") + '(' + m_index +
                        " frame, uint16_t x, uint16_t y) {\n    return " +
                        cellRead(macro("BYTE"), data("frames") + "[frame][y][", "x", m_bits) + ";\n}\n\n#endif\n");
    }
    return m_output->failure();
}

} // namespace scroll
