#include "ui/picturebox.h"

#include <QMouseEvent>
#include <QPainter>

namespace ui {

PictureBox::PictureBox(const platform::Surface* surface, bool framed, QWidget* parent)
    : QWidget(parent), m_surface(surface), m_framed(framed) {
    setAutoFillBackground(true);
    setBackgroundRole(surface ? QPalette::Base : QPalette::Window);
}

void PictureBox::fitToSurface() {
    if (m_surface)
        resize(m_surface->ScaleWidth() + 2 * frameWidth(), m_surface->ScaleHeight() + 2 * frameWidth());
}

void PictureBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int frame = frameWidth();
    if (m_surface)
        painter.drawImage(QPoint(frame, frame), m_surface->image());
    if (m_framed) {
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QWidget::mouseReleaseEvent(event);
}

} // namespace ui
