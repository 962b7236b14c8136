#include "platform/surface.h"

#include "platform/errors.h"

#include <QGlyphRun>
#include <QPainter>
#include <QTextLayout>

#include <algorithm>
#include <cstring>
#include <optional>

namespace platform {

namespace {
constexpr int DotsPerMeter96 = 3780; // 96 dpi

// drawColouredText's two halves: the line laid out for device (its resolution), then drawn.
ColouredLine layOutColouredText(const QFont& font, int x, int baseline, const QString& text,
                                std::span<const QRgb> colours, const QPaintDevice* device) {
    Q_ASSERT(colours.size() == size_t(text.size()));
    // A line break would end Qt's line where drawText draws on: it becomes a zero-width no-break space of the
    // same length, so every index still names its character.
    QString line = text;
    for (QChar& character : line) {
        switch (character.unicode()) {
        case u'\n':
        case u'\v':
        case u'\f':
        case u'\r':
        case 0x85:
        case QChar::LineSeparator:
        case QChar::ParagraphSeparator:
            character = QChar(0xFEFF);
            break;
        default:
            break;
        }
    }
    QTextLayout layout(line, unsmoothedFont(font), device);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    const QTextLine laidOut = layout.createLine();
    layout.endLayout();
    // The line's own ascent may be a fallback font's, taller than the font's: glyphs stand on the baseline.
    ColouredLine result;
    result.origin = QPointF(x, baseline - laidOut.ascent());
    for (qsizetype start = 0; start < text.size();) {
        qsizetype end = start + 1;
        while (end < text.size() && colours[size_t(end)] == colours[size_t(start)])
            ++end;
        result.runs.push_back({colours[size_t(start)], layout.glyphRuns(int(start), int(end - start))});
        start = end;
    }
    return result;
}

void drawColouredLine(QImage& image, const ColouredLine& line, const QRect& clip) {
    QPainter painter(&image);
    painter.setClipRect(clip);
    // The last run first, so that an earlier character paints over a later one.
    for (auto run = line.runs.rbegin(); run != line.runs.rend(); ++run) {
        painter.setPen(QColor::fromRgb(run->colour));
        for (const QGlyphRun& glyphs : run->glyphs)
            painter.drawGlyphRun(line.origin, glyphs);
    }
}

} // namespace

bool surfaceSizeAllowed(qint64 width, qint64 height) {
    return width >= 0 && height >= 0 && width * height <= MaxSurfacePixels;
}

QImage newImage96(int width, int height) {
    QImage image(std::max(width, 0), std::max(height, 0), QImage::Format_RGB32);
    if (image.isNull() && width > 0 && height > 0)
        raiseError(ErrOutOfMemory);
    image.setDotsPerMeterX(DotsPerMeter96);
    image.setDotsPerMeterY(DotsPerMeter96);
    return image;
}

Surface::Surface(int width, int height, QRgb backColor)
    : m_width(std::max(width, 0)), m_height(std::max(height, 0)), m_backColor(backColor) {}

void Surface::resize(int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == m_width && height == m_height)
        return;
    if (!surfaceSizeAllowed(width, height))
        raiseError(ErrOutOfMemory);
    // What fits stays; a larger surface gets its new pixels, all background, only when they are drawn.
    if (m_image.width() > width || m_image.height() > height)
        m_image = m_image.copy(0, 0, std::min(m_image.width(), width), std::min(m_image.height(), height));
    m_width = width;
    m_height = height;
}

void Surface::coverAtLeast(int width, int height) const {
    width = std::min(width, m_width);
    height = std::min(height, m_height);
    if (m_image.width() >= width && m_image.height() >= height)
        return;
    QImage grown = newImage96(std::max(width, m_image.width()), std::max(height, m_image.height()));
    grown.fill(m_backColor);
    // A null image (one side 0) has no rows: memcpy must not be handed its null scan lines.
    const size_t rowBytes = size_t(m_image.width()) * sizeof(QRgb);
    for (int row = 0; row < m_image.height(); ++row)
        std::memcpy(grown.scanLine(row), m_image.constScanLine(row), rowBytes);
    m_image = std::move(grown);
}

const QImage& Surface::image() const {
    coverAtLeast(m_width, m_height);
    return m_image;
}

QImage& Surface::image() {
    coverAtLeast(m_width, m_height);
    return m_image;
}

void Surface::Cls() {
    // The part drawn so far is painted over, not dropped: a board keeps its memory from render to render.
    m_image.fill(m_backColor);
    m_textY = 0;
}

QImage& Surface::repaint(QRgb backColor) {
    m_backColor = backColor;
    m_textY = 0;
    if (m_image.width() != m_width || m_image.height() != m_height)
        m_image = newImage96(m_width, m_height);
    return m_image;
}

void Surface::setBackColor(QRgb color) {
    m_backColor = color;
    Cls();
}

QFont unsmoothedFont(const QFont& font) {
    QFont result = font;
    result.setStyleStrategy(QFont::NoAntialias);
    result.setHintingPreference(QFont::PreferFullHinting);
    return result;
}

QFont drawnFont(const QFont& font) {
    const QImage device = newImage96(1, 1);
    return QFont(unsmoothedFont(font), &device);
}

QSize Surface::Print(const QString& text) {
    return Print(text, {});
}

QSize Surface::Print(const QString& text, std::span<const QRgb> colours) {
    const QFont font = unsmoothedFont(m_font);
    const QImage device = newImage96(1, 1); // measured at 96 dpi, like everything drawn here
    const QFontMetrics metrics(font, &device);
    // Only the part the text can touch is drawn on: its advance, or the glyphs' reach where that is wider.
    const QRect reach = metrics.boundingRect(text);
    const QSize reached(std::max(metrics.horizontalAdvance(text), reach.right() + 1) + 1, m_textY + metrics.height());
    coverAtLeast(reached.width(), reached.height());
    if (!m_image.isNull()) {
        const int baseline = m_textY + metrics.ascent();
        if (colours.empty()) {
            QPainter painter(&m_image);
            painter.setFont(font);
            painter.setPen(QColor::fromRgb(m_foreColor));
            painter.drawText(0, baseline, text);
        } else {
            drawColouredLine(m_image, colouredLine(text, colours), m_image.rect());
        }
    }
    m_textY += metrics.height();
    return reached;
}

ColouredLine Surface::colouredLine(const QString& text, std::span<const QRgb> colours) const {
    const QFont font = unsmoothedFont(m_font);
    const QImage device = newImage96(1, 1); // laid out at 96 dpi, like everything drawn here
    return layOutColouredText(font, 0, m_textY + QFontMetrics(font, &device).ascent(), text, colours, &device);
}

void drawColouredText(QImage& image, const QFont& font, int x, int baseline, const QString& text,
                      std::span<const QRgb> colours, const QRect& clip) {
    drawColouredLine(image, layOutColouredText(font, x, baseline, text, colours, &image), clip);
}

int32_t Surface::Point(int x, int y) const {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return -1;
    const QRgb pixel = x < m_image.width() && y < m_image.height()
                           ? reinterpret_cast<const QRgb*>(m_image.constScanLine(y))[x]
                           : m_backColor;
    return int32_t(qRed(pixel) | (qGreen(pixel) << 8) | (qBlue(pixel) << 16));
}

void Surface::setPicture(const QImage& picture) {
    if (!surfaceSizeAllowed(picture.width(), picture.height()))
        raiseError(ErrOutOfMemory);
    QImage converted = picture.convertToFormat(QImage::Format_RGB32);
    if (converted.isNull() && !picture.isNull())
        raiseError(ErrOutOfMemory);
    converted.setDotsPerMeterX(DotsPerMeter96);
    converted.setDotsPerMeterY(DotsPerMeter96);
    m_image = std::move(converted);
    m_width = picture.width();
    m_height = picture.height();
}

bool BitBlt(Surface& destination, int x, int y, int width, int height, const Surface& source, int sourceX,
            int sourceY) {
    // Clip against the source, then the destination, shifting both origins together.
    qint64 left = 0, top = 0, right = width, bottom = height; // offsets within the requested rectangle
    left = std::max<qint64>({left, -qint64(sourceX), -qint64(x)});
    top = std::max<qint64>({top, -qint64(sourceY), -qint64(y)});
    right = std::min<qint64>({right, qint64(source.ScaleWidth()) - sourceX, qint64(destination.ScaleWidth()) - x});
    bottom = std::min<qint64>({bottom, qint64(source.ScaleHeight()) - sourceY, qint64(destination.ScaleHeight()) - y});
    if (right <= left || bottom <= top)
        return false;

    const QImage& from = source.image();
    QImage& to = destination.image();
    const size_t rowBytes = size_t(right - left) * sizeof(QRgb);
    // Copy through a temporary when a surface is copied onto itself with overlapping rows.
    std::optional<QImage> fromCopy;
    if (&from == &to)
        fromCopy = from.copy();
    const QImage& reading = fromCopy ? *fromCopy : from;
    // Row addresses from the first row and the stride: one detach for the whole copy, not one per row.
    const qsizetype fromStride = reading.bytesPerLine();
    const qsizetype toStride = to.bytesPerLine();
    const uchar* fromRow =
        reading.constBits() + (sourceY + top) * fromStride + (sourceX + left) * qsizetype(sizeof(QRgb));
    uchar* toRow = to.bits() + (y + top) * toStride + (x + left) * qsizetype(sizeof(QRgb));
    for (qint64 row = top; row < bottom; ++row, fromRow += fromStride, toRow += toStride)
        std::memcpy(toRow, fromRow, rowBytes);
    return true;
}

} // namespace platform
