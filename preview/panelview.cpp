#include "preview/panelview.h"

#include <QPainter>
#include <QRegion>

#include <algorithm>

namespace preview {

QRect fittedRect(const QSize& frameSize, const QSize& area) {
    if (frameSize.isEmpty() || area.isEmpty())
        return {};
    const int times = std::min(area.width() / frameSize.width(), area.height() / frameSize.height());
    QSize size = frameSize * times;
    if (times == 0) {
        const int divisor = std::max((frameSize.width() + area.width() - 1) / area.width(),
                                     (frameSize.height() + area.height() - 1) / area.height());
        size = QSize(frameSize.width() / divisor, frameSize.height() / divisor);
        if (size.isEmpty())
            return {};
    }
    return {QPoint((area.width() - size.width()) / 2, (area.height() - size.height()) / 2), size};
}

PanelView::PanelView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent); // every pixel is painted: the frame and black around it
    setMinimumSize(16, 16);
}

void PanelView::setFrame(const QImage* frame) {
    m_frame = frame;
    update();
}

void PanelView::setPreferredSize(const QSize& size) {
    m_preferredSize = size;
    updateGeometry();
}

QSize PanelView::sizeHint() const {
    return m_preferredSize.isValid() ? m_preferredSize : QSize(256, 64);
}

void PanelView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect target = m_frame != nullptr ? fittedRect(m_frame->size(), size()) : QRect();
    // Black only where the frame does not cover, so that each frame is painted once.
    for (const QRect& margin : QRegion(rect()).subtracted(target))
        painter.fillRect(margin, Qt::black);
    if (!target.isEmpty()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter.drawImage(target, *m_frame);
    }
}

} // namespace preview
