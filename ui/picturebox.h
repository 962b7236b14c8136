#pragma once

#include "platform/surface.h"

#include <QWidget>

class QMimeData;

namespace ui {

// A picture box: shows a surface's persistent image inside an optional flat one-pixel frame. The
// surface belongs to the core; the box only shows it, and follows its size when asked to.
class PictureBox : public QWidget {
    Q_OBJECT

public:
    // Without a surface the box shows the window's own background colour, like an empty frame box.
    PictureBox(const platform::Surface* surface, bool framed, QWidget* parent);

    int frameWidth() const { return m_framed ? 1 : 0; }

    // Takes the surface's size plus the frame, keeping the top-left corner.
    void fitToSurface();
    // Shows the image as it is now.
    void Refresh() { update(); }
    // The area inside the frame, where controls placed in this box live: their places count from its
    // top-left corner and whatever reaches beyond its edge is cut off there.
    QWidget* clientArea();

signals:
    void clicked();
    // Local files were dropped on a box that accepts drops; data lists them as URLs.
    void filesDropped(const QMimeData* data);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QRect innerRect() const { return rect().adjusted(frameWidth(), frameWidth(), -frameWidth(), -frameWidth()); }

    const platform::Surface* m_surface;
    bool m_framed;
    QWidget* m_clientArea = nullptr;
};

} // namespace ui
