#include "dotfont/strike.h"

#include "platform/surface.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QPainter>
#include <QRawFont>
#include <QTextLayout>

#include <algorithm>

namespace dotfont {

bool isControl(char32_t codePoint) {
    return codePoint < 0x20 || (codePoint >= 0x7F && codePoint < 0xA0);
}

void drawGlyph(QImage& mask, const BitmapFont& font, const Glyph& glyph, int x, int baseline, QRgb color,
               const QRect& area) {
    const int left = x + glyph.left, top = baseline - glyph.top;
    for (int row = std::max(0, area.top() - top); row < glyph.height && top + row <= area.bottom(); ++row) {
        QRgb* line = reinterpret_cast<QRgb*>(mask.scanLine(top + row));
        for (int column = std::max(0, area.left() - left); column < glyph.width && left + column <= area.right();
             ++column)
            if (font.pixel(glyph, column, row))
                line[left + column] = color;
    }
}

void Strike::drawColoured(QImage& image, int x, int baseline, const QString& run, std::span<const QRgb> colours,
                          const QRect& clip) const {
    struct Placed {
        QString character;
        int x;
        QRgb colour;
    };
    std::vector<Placed> placed;
    for (qsizetype i = 0; i < run.size();) {
        const qsizetype length = run[i].isHighSurrogate() && i + 1 < run.size() ? 2 : 1;
        const QString character = run.mid(i, length);
        placed.push_back({character, x, colours[size_t(i)]});
        x += advance(character);
        i += length;
    }
    // The last first, so that an earlier character paints over a later one.
    for (auto it = placed.rbegin(); it != placed.rend(); ++it)
        draw(image, it->x, baseline, it->character, it->colour, clip);
}

BitmapStrike::BitmapStrike(std::vector<std::shared_ptr<const BitmapFont>> fonts, int ascent, int descent)
    : m_fonts(std::move(fonts)), m_ascent(ascent), m_descent(descent) {}

std::optional<BitmapStrike::Found> BitmapStrike::found(char32_t codePoint) const {
    if (isControl(codePoint))
        return std::nullopt;
    for (const auto& font : m_fonts)
        if (const Glyph* glyph = font->glyphFor(codePoint))
            return Found{font.get(), glyph};
    return std::nullopt;
}

const Glyph* BitmapStrike::glyph(char32_t codePoint) const {
    const auto hit = found(codePoint);
    return hit ? hit->glyph : nullptr;
}

int BitmapStrike::advance(const QString& run) const {
    int width = 0;
    for (const char32_t codePoint : run.toUcs4())
        if (const Glyph* g = glyph(codePoint))
            width += g->advance;
    return width;
}

void BitmapStrike::draw(QImage& mask, int x, int baseline, const QString& run, QRgb color, const QRect& clip) const {
    const QRect area = clip & mask.rect();
    for (const char32_t codePoint : run.toUcs4()) {
        const auto hit = found(codePoint);
        if (!hit)
            continue;
        drawGlyph(mask, *hit->font, *hit->glyph, x, baseline, color, area);
        x += hit->glyph->advance;
    }
}

QtStrike::QtStrike(const QFont& font)
    : m_font(font), m_raw(QRawFont::fromFont(font)), m_device(platform::newImage96(1, 1)) {}

std::unique_ptr<QtStrike> QtStrike::outline(const QFont& font, int pixelSize) {
    QFont sized = platform::unsmoothedFont(font);
    sized.setPixelSize(pixelSize);
    std::unique_ptr<QtStrike> strike(new QtStrike(sized));
    const QFontMetrics metrics(sized, &strike->m_device);
    strike->m_ascent = metrics.ascent();
    strike->m_descent = metrics.descent();
    return strike;
}

bool QtStrike::has(char32_t codePoint) const {
    if (isControl(codePoint))
        return false;
    if (m_raw.supportsCharacter(uint(codePoint)))
        return true;
    // Qt's fallback fonts: the character is drawable when no glyph of its layout is the missing glyph.
    QTextLayout layout(QString::fromUcs4(&codePoint, 1), m_font, &m_device);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    const QList<QGlyphRun> runs = layout.glyphRuns();
    return !runs.isEmpty() && std::all_of(runs.begin(), runs.end(), [](const QGlyphRun& run) {
        const QList<quint32> glyphs = run.glyphIndexes();
        return !glyphs.isEmpty() && !glyphs.contains(0u);
    });
}

int QtStrike::advance(const QString& run) const {
    return QFontMetrics(m_font, &m_device).horizontalAdvance(run);
}

void QtStrike::draw(QImage& mask, int x, int baseline, const QString& run, QRgb color, const QRect& clip) const {
    QPainter painter(&mask);
    painter.setClipRect(clip);
    painter.setFont(m_font);
    painter.setPen(QColor::fromRgb(color));
    painter.drawText(x, baseline, run);
}

// Qt shapes the run as a whole (kerning, ligatures, other scripts' fonts): the characters are coloured where
// that layout puts them, not drawn one by one.
void QtStrike::drawColoured(QImage& image, int x, int baseline, const QString& run, std::span<const QRgb> colours,
                            const QRect& clip) const {
    platform::drawColouredText(image, m_font, x, baseline, run, colours, clip);
}

} // namespace dotfont
