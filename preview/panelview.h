#pragma once

#include <QImage>
#include <QRect>
#include <QSize>
#include <QWidget>

namespace preview {

// Where a frame of frameSize is drawn in an area: scaled by the largest whole number that fits (or, when
// even one pixel per pixel does not fit, divided by the smallest whole number that does), centred. Empty
// when nothing fits.
QRect fittedRect(const QSize& frameSize, const QSize& area);

// The panel of the preview: one frame, scaled by whole numbers without smoothing so that every dot stays
// crisp, centred on black.
class PanelView : public QWidget {
    Q_OBJECT

public:
    explicit PanelView(QWidget* parent = nullptr);

    // The frame to show, owned by the caller and redrawn in place; nullptr shows black only.
    void setFrame(const QImage* frame);
    // The size the panel asks for when its window is first laid out.
    void setPreferredSize(const QSize& size);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const QImage* m_frame = nullptr;
    QSize m_preferredSize;
};

} // namespace preview
