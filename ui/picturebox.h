#pragma once

#include "platform/surface.h"

#include <QWidget>

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

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    const platform::Surface* m_surface;
    bool m_framed;
};

} // namespace ui
