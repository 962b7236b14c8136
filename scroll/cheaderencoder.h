#pragma once

#include "scroll/encoder.h"

#include <QImage>
#include <QString>

#include <vector>

namespace scroll {

// How a C header stores the sign.
struct CHeaderOptions {
    // Strip: the board with its gap once, each frame a window into it. Frames: every frame in full.
    enum class Layout { Strip, Frames };
    // The strip column by column (each column's cells top to bottom) or row by row.
    enum class Scan { Columns, Rows };
    Layout layout = Layout::Strip;
    Scan scan = Scan::Columns;
    QString name = QStringLiteral("lumidot"); // a C identifier: lower case for data and functions, upper for macros
    bool progmem = false;                     // on AVR, the data stays in flash (PROGMEM, pgm_read_byte)
};

// Whether name can prefix every name of a header: a C identifier.
bool isHeaderName(const QString& name);

// A C header for LED panel firmware, that any C99 or C++ compiler takes: the panel's size, the frame count,
// the delays, the data, and two accessors, PREFIX_cell(frame, x, y) (1 lit, 0 unlit) and
// PREFIX_delay(frame) in milliseconds, that read it in any layout. Bits are packed most significant first.
// A sign of more than one lit colour stores each cell's colour number in 2, 4 or 8 bits, as few as its
// colours need; PREFIX_cell then returns the number (0 unlit), and PREFIX_palette holds each number's colour.
class CHeaderEncoder : public Encoder {
public:
    explicit CHeaderEncoder(const CHeaderOptions& options) : m_options(options) {}

    FramePixels pixels() const override { return FramePixels::None; }
    platform::Result begin(Output& output, const AnimationHeader& header) override;
    platform::Result addFrame(const Frame& frame) override;
    platform::Result finish() override;

private:
    QByteArray macro(const char* name) const;
    QByteArray data(const char* name) const;
    QByteArray palette(const std::vector<QImage>& pictures) const;

    CHeaderOptions m_options;
    int m_bits = 1;     // a cell
    QByteArray m_index; // the C type of frame numbers
    Output* m_output = nullptr;
    int m_frame = 0;
};

} // namespace scroll
