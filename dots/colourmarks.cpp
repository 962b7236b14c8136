#include "dots/colourmarks.h"

namespace dots {

namespace {

// A mark as the user reads it in a message: a long one (a brace never closed) is cut.
QString shownMark(const QString& mark) {
    constexpr qsizetype Longest = 24;
    return mark.size() <= Longest ? mark : mark.left(Longest - 1) + QChar(0x2026);
}

} // namespace

platform::Result readColourMarks(const QString& message, board::MarkedText& marked) {
    using platform::Failure;
    using platform::Result;
    board::MarkedText read;
    uint8_t colour = 1;
    const auto append = [&](QChar character) {
        read.text += character;
        read.colourOf.push_back(colour);
    };
    for (qsizetype at = 0; at < message.size();) {
        if (message[at] != u'{') {
            append(message[at++]);
            continue;
        }
        if (at + 1 < message.size() && message[at + 1] == u'{') {
            append(u'{');
            at += 2;
            continue;
        }
        const qsizetype close = message.indexOf(u'}', at + 1);
        if (close < 0)
            return Result::failed(Failure::BadColourMark, {}, shownMark(message.mid(at)));
        const QString mark = message.mid(at, close - at + 1);
        const QString name = mark.mid(1, mark.size() - 2);
        if (name.isEmpty()) {
            colour = 1;
        } else {
            const std::optional<QRgb> named = colorNamed(name);
            if (!named)
                return Result::failed(Failure::BadColourMark, {}, shownMark(mark));
            qsizetype index = read.colours.indexOf(*named);
            if (index < 0) {
                if (read.colours.size() == board::MaxCellColour - 1)
                    return Result::failed(Failure::TooManyColours, {}, shownMark(mark));
                read.colours.append(*named);
                index = read.colours.size() - 1;
            }
            colour = uint8_t(index + 2);
        }
        at = close + 1;
    }
    marked = std::move(read);
    return Result::success();
}

QImage litDotIn(QRgb colour, const QImage& litPicture, const std::optional<DotStyle>& style) {
    if (!style)
        return tinted(litPicture, colour);
    DotStyle coloured = *style;
    coloured.color = colour;
    return litDot(coloured);
}

} // namespace dots
