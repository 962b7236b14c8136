#pragma once

#include <QList>
#include <QRgb>
#include <QString>

#include <cstdint>
#include <vector>

namespace board {

// A message as a sign draws it: its text, and the colour each character lights its cells in.
struct MarkedText {
    QString text;
    // The colour number of each UTF-16 unit of text: 1 the sign's own colour, n ≥ 2 colours[n − 2].
    std::vector<uint8_t> colourOf;
    QList<QRgb> colours; // the further colours, each once

    bool operator==(const MarkedText&) const = default;
};

// text with every character in the sign's own colour.
MarkedText inOwnColour(const QString& text);

} // namespace board
