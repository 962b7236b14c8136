#include "scroll/animationsettings.h"

#include <QStringList>

#include <algorithm>

namespace scroll {

namespace {

using platform::Failure;
using platform::Result;

Result badSetting(const QString& key, int value, const QString& allowed) {
    return Result::failed(Failure::BadAnimationSetting, {},
                          QStringLiteral("%1=%2 ∉ %3").arg(key).arg(value).arg(allowed));
}

QString range(int low, int high) {
    return QStringLiteral("[%1, %2]").arg(low).arg(high);
}

// The steps that bring the board back in whole frames: the divisors of the cycle.
QString divisors(int cycle) {
    QList<int> low;
    QList<int> high;
    for (int d = 1; qint64(d) * d <= cycle; ++d) {
        if (cycle % d == 0) {
            low.append(d);
            if (d != cycle / d)
                high.prepend(cycle / d);
        }
    }
    QStringList values;
    for (int d : low + high)
        values << QString::number(d);
    return QStringLiteral("{%1}").arg(values.join(QStringLiteral(", ")));
}

struct NamedDirection {
    Direction direction;
    const char* name;
};
constexpr NamedDirection DirectionNames[] = {
    {Direction::Up, "Up"}, {Direction::Right, "Right"}, {Direction::Down, "Down"}, {Direction::Left, "Left"}};

} // namespace

QString directionName(Direction direction) {
    for (const NamedDirection& named : DirectionNames)
        if (named.direction == direction)
            return QLatin1String(named.name);
    return QString();
}

std::optional<Direction> directionNamed(const QString& name) {
    for (const NamedDirection& named : DirectionNames)
        if (name.compare(QLatin1String(named.name), Qt::CaseInsensitive) == 0)
            return named.direction;
    return std::nullopt;
}

Direction defaultDirection() {
    return *directionNamed(QString::fromUtf8(settingskeys::key(settingskeys::KeyId::AnimDirection).defaultText));
}

int panelColumnsOf(const board::CellGrid& cells, const AnimationSettings& settings) {
    return settings.panelColumns == 0 ? cells.columns : settings.panelColumns;
}

int cycleOf(const board::CellGrid& cells, const AnimationSettings& settings) {
    const bool sideways = settings.direction == Direction::Left || settings.direction == Direction::Right;
    return sideways ? std::max(cells.columns, panelColumnsOf(cells, settings)) : cells.rows;
}

Result checkSettings(const Sign& sign, const AnimationSettings& settings) {
    const board::CellGrid& cells = sign.cells;
    if (cells.columns <= 0 || cells.rows <= 0 || cells.lit.size() != size_t(cells.columns) * size_t(cells.rows))
        return Result::failed(Failure::NothingToWrite, {},
                              QStringLiteral("%1 × %2").arg(cells.columns).arg(cells.rows));
    const QSize cell = sign.litCell.size();
    if (cell.isEmpty() || sign.unlitCell.size() != cell) {
        return Result::failed(Failure::NothingToWrite, {},
                              QStringLiteral("%1 × %2 / %3 × %4")
                                  .arg(cell.width())
                                  .arg(cell.height())
                                  .arg(sign.unlitCell.width())
                                  .arg(sign.unlitCell.height()));
    }
    if (settings.panelColumns < 0)
        return badSetting(QStringLiteral("Panel"), settings.panelColumns, QStringLiteral("[0, …)"));
    if (settings.delayMs < MinDelayMs || settings.delayMs > MaxDelayMs)
        return badSetting(QStringLiteral("Delay"), settings.delayMs, range(MinDelayMs, MaxDelayMs));
    if (settings.loopCount < 0 || settings.loopCount > MaxLoopCount)
        return badSetting(QStringLiteral("Loop"), settings.loopCount, range(0, MaxLoopCount));
    const int cycle = cycleOf(cells, settings);
    if (settings.step < 1 || settings.step > cycle || cycle % settings.step != 0)
        return badSetting(QStringLiteral("Step"), settings.step, divisors(cycle));
    const qint64 width = qint64(panelColumnsOf(cells, settings)) * cell.width();
    const qint64 height = qint64(cells.rows) * cell.height();
    if (width * height > MaxFramePixels)
        return Result::failed(Failure::TooLarge, {}, QStringLiteral("%1 × %2").arg(width).arg(height));
    return Result::success();
}

} // namespace scroll
