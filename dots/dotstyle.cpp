#include "dots/dotstyle.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace dots {

namespace {

constexpr PresetColor Presets[] = {
    {"red", "赤", qRgb(255, 0, 0)},   {"amber", "橙", qRgb(255, 150, 0)}, {"yellow", "黄", qRgb(255, 220, 0)},
    {"green", "緑", qRgb(0, 255, 0)}, {"blue", "青", qRgb(0, 80, 255)},   {"white", "白", qRgb(255, 255, 255)},
};

// channel × numerator / denominator, rounded half up, in whole numbers: 150 × 35 % is 52.5, not 52.49999.
int scaled(int channel, qint64 numerator, qint64 denominator) {
    return int((2 * channel * numerator + denominator) / (2 * denominator));
}

QRgb scaledColor(QRgb color, qint64 numerator, qint64 denominator) {
    return qRgb(scaled(qRed(color), numerator, denominator), scaled(qGreen(color), numerator, denominator),
                scaled(qBlue(color), numerator, denominator));
}

// How much of pixel (x, y) the shape covers, 0 to 1.
double coverage(int x, int y, int size, DotShape shape) {
    const int centre = (size - 1) / 2;
    if (x == centre && y == centre)
        return 1; // the centre is the colour itself, whatever the size
    if (shape == DotShape::Square)
        return x < size - 1 && y < size - 1 ? 1 : 0;
    const bool corner = (x == 0 || x == size - 1) && (y == 0 || y == size - 1);
    if (corner)
        return 0;
    // The disc reaches half a pixel short of the cell's edges; its rim fades over one pixel.
    const double radius = size / 2.0 - 0.5;
    const double distance = std::hypot(x + 0.5 - size / 2.0, y + 0.5 - size / 2.0);
    return std::clamp(radius + 0.5 - distance, 0.0, 1.0);
}

} // namespace

std::span<const PresetColor> presetColors() {
    return Presets;
}

std::optional<QRgb> colorNamed(const QString& text) {
    const QString name = text.trimmed();
    for (const PresetColor& preset : Presets)
        if (name.compare(QLatin1String(preset.name), Qt::CaseInsensitive) == 0)
            return preset.rgb;
    static const QRegularExpression hex(QStringLiteral("\\A#[0-9A-Fa-f]{6}\\z"));
    if (!hex.match(name).hasMatch())
        return std::nullopt;
    return qRgb(name.mid(1, 2).toInt(nullptr, 16), name.mid(3, 2).toInt(nullptr, 16),
                name.mid(5, 2).toInt(nullptr, 16));
}

QString colorName(QRgb color) {
    for (const PresetColor& preset : Presets)
        if (qRgb(qRed(color), qGreen(color), qBlue(color)) == preset.rgb)
            return QLatin1String(preset.name);
    return QStringLiteral("#%1%2%3")
        .arg(qRed(color), 2, 16, QLatin1Char('0'))
        .arg(qGreen(color), 2, 16, QLatin1Char('0'))
        .arg(qBlue(color), 2, 16, QLatin1Char('0'))
        .toUpper();
}

QString shapeName(DotShape shape) {
    return shape == DotShape::Round ? QStringLiteral("Round") : QStringLiteral("Square");
}

std::optional<DotShape> shapeNamed(const QString& name) {
    for (const DotShape shape : {DotShape::Round, DotShape::Square})
        if (name.trimmed().compare(shapeName(shape), Qt::CaseInsensitive) == 0)
            return shape;
    return std::nullopt;
}

QImage generatedDot(QRgb color, int size, DotShape shape, int percent) {
    QImage dot(size, size, QImage::Format_RGB32);
    // Coverage in millionths: whole pixels exact, the rim near enough.
    constexpr qint64 Whole = 1000000;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const qint64 covered = std::llround(coverage(x, y, size, shape) * Whole);
            dot.setPixel(x, y, scaledColor(color, percent * covered, 100 * Whole));
        }
    return dot;
}

QImage litDot(const DotStyle& style) {
    return generatedDot(style.color, style.size, style.shape, 100);
}

QImage unlitDot(const DotStyle& style) {
    return generatedDot(style.color, style.size, style.shape, style.unlitPercent);
}

QImage tinted(const QImage& picture, QRgb color) {
    QImage result = picture.convertToFormat(QImage::Format_RGB32);
    const int brightest = std::max({qRed(color), qGreen(color), qBlue(color)});
    for (int y = 0; y < result.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x) {
            const int value = std::max({qRed(line[x]), qGreen(line[x]), qBlue(line[x])});
            line[x] = brightest == 0 ? qRgb(0, 0, 0) : scaledColor(color, value, brightest);
        }
    }
    return result;
}

} // namespace dots
