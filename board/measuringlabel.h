#pragma once

#include <QFont>
#include <QString>

namespace board {

// A hidden label that sizes itself to its caption: one line of text in its font, measured at 96 dpi
// as the advance width and the font height (ascent + descent), in pixels.
class MeasuringLabel {
public:
    void setFont(const QFont& font) { m_font = font; }
    const QFont& font() const { return m_font; }
    void setCaption(const QString& caption) { m_caption = caption; }
    const QString& caption() const { return m_caption; }

    int Width() const;
    int Height() const;

private:
    QFont m_font;
    QString m_caption;
};

} // namespace board
