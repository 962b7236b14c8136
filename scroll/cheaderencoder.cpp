#include "scroll/cheaderencoder.h"

#include "scroll/cellbits.h"
#include "scroll/output.h"

#include <vector>

namespace scroll {

namespace {

QByteArray define(const char* name, int value) {
    return QByteArray("#define ") + name + ' ' + QByteArray::number(value) + '\n';
}

} // namespace

platform::Result CHeaderEncoder::begin(Output& output, const AnimationHeader& header) {
    m_output = &output;
    m_frame = 0;
    const int rowBytes = (header.columns + 7) / 8;
    QByteArray text = QByteArrayLiteral(
        "/* A scrolling sign for an LED panel, made by Lumidot.\n"
        " * lumidot_frames[frame][row][byte]: each row of cells as bits, 1 = lit. The leftmost cell is the\n"
        " * most significant bit (0x80) of the row's first byte; unused bits at the end of a row are 0.\n"
        " * Show each frame for LUMIDOT_DELAY_MS milliseconds; the first frame follows the last. */\n"
        "#ifndef LUMIDOT_SCROLL_H\n"
        "#define LUMIDOT_SCROLL_H\n"
        "\n"
        "#include <stdint.h>\n"
        "\n");
    text += define("LUMIDOT_WIDTH", header.columns);
    text += define("LUMIDOT_HEIGHT", header.rows);
    text += define("LUMIDOT_FRAMES", header.frameCount);
    text += define("LUMIDOT_ROW_BYTES", rowBytes);
    text += define("LUMIDOT_DELAY_MS", header.delayMs);
    text +=
        "#define LUMIDOT_LOOPS " + QByteArray::number(header.loopCount) + " /* plays of the cycle, 0 = forever */\n";
    text += "\nstatic const uint8_t lumidot_frames[LUMIDOT_FRAMES][LUMIDOT_HEIGHT][LUMIDOT_ROW_BYTES] = {\n";
    output.write(text);
    return output.failure();
}

platform::Result CHeaderEncoder::addFrame(const Frame& frame) {
    static const char digits[] = "0123456789abcdef";
    const board::CellGrid& cells = frame.cells;
    std::vector<uint8_t> row(size_t(bytesPerRow(cells)));
    QByteArray text = "    /* frame " + QByteArray::number(m_frame++) + " */\n    {\n";
    for (int r = 0; r < cells.rows; ++r) {
        packRow(cells, r, row.data());
        text += "        {";
        for (size_t i = 0; i < row.size(); ++i) {
            const char byte[] = {'0', 'x', digits[row[i] >> 4], digits[row[i] & 15]};
            if (i > 0)
                text += ", ";
            text.append(byte, 4);
        }
        text += "},\n";
    }
    text += "    },\n";
    m_output->write(text);
    return m_output->failure();
}

platform::Result CHeaderEncoder::finish() {
    m_output->write(QByteArrayLiteral("};\n\n#endif\n"));
    return m_output->failure();
}

} // namespace scroll
