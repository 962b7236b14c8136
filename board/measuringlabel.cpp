#include "board/measuringlabel.h"

#include "platform/surface.h"

#include <QFontMetrics>

namespace board {

namespace {
const QImage& device96() {
    static const QImage device = platform::newImage96(1, 1);
    return device;
}
} // namespace

int MeasuringLabel::Width() const {
    return QFontMetrics(platform::unsmoothedFont(m_font), &device96()).horizontalAdvance(m_caption);
}

int MeasuringLabel::Height() const {
    return QFontMetrics(platform::unsmoothedFont(m_font), &device96()).height();
}

} // namespace board
