#include "ui/picturebox.h"

#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace ui {

namespace {
bool offersLocalFiles(const QMimeData* data) {
    const QList<QUrl> urls = data->urls();
    return std::any_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); });
}
} // namespace

PictureBox::PictureBox(const platform::Surface* surface, bool framed, QWidget* parent)
    : QWidget(parent), m_surface(surface), m_framed(framed) {
    setAutoFillBackground(true);
    setBackgroundRole(surface ? QPalette::Base : QPalette::Window);
}

void PictureBox::fitToSurface() {
    if (m_surface)
        resize(m_surface->ScaleWidth() + 2 * frameWidth(), m_surface->ScaleHeight() + 2 * frameWidth());
}

QWidget* PictureBox::clientArea() {
    if (!m_clientArea) {
        m_clientArea = new QWidget(this);
        m_clientArea->setGeometry(innerRect());
    }
    return m_clientArea;
}

void PictureBox::resizeEvent(QResizeEvent* event) {
    if (m_clientArea)
        m_clientArea->setGeometry(innerRect());
    QWidget::resizeEvent(event);
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

// Drops are taken as the dragging program proposes them, and only when they carry local files.
void PictureBox::dragEnterEvent(QDragEnterEvent* event) {
    if (offersLocalFiles(event->mimeData()))
        event->acceptProposedAction();
}

void PictureBox::dropEvent(QDropEvent* event) {
    if (!offersLocalFiles(event->mimeData()))
        return;
    event->acceptProposedAction();
    emit filesDropped(event->mimeData());
}

} // namespace ui
