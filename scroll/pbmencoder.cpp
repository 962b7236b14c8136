#include "scroll/pbmencoder.h"

#include "scroll/cellbits.h"
#include "scroll/output.h"

#include <vector>

namespace scroll {

platform::Result PbmEncoder::begin(Output& output, const AnimationHeader&) {
    m_output = &output;
    return platform::Result::success();
}

platform::Result PbmEncoder::addFrame(const Frame& frame) {
    const board::CellGrid& cells = frame.cells;
    QByteArray image =
        QByteArrayLiteral("P4\n") + QByteArray::number(cells.columns) + ' ' + QByteArray::number(cells.rows) + '\n';
    const qsizetype headerSize = image.size();
    const int rowBytes = bytesPerRow(cells);
    image.resize(headerSize + qsizetype(rowBytes) * cells.rows);
    for (int r = 0; r < cells.rows; ++r)
        packRow(cells, r, reinterpret_cast<uint8_t*>(image.data() + headerSize + qsizetype(r) * rowBytes));
    m_output->write(image);
    return m_output->failure();
}

platform::Result PbmEncoder::finish() {
    return m_output->failure();
}

} // namespace scroll
