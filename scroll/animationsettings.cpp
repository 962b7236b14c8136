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

template <typename Value> struct Named {
    Value value;
    const char* name;
};
constexpr Named<Direction> DirectionNames[] = {
    {Direction::Up, "Up"}, {Direction::Right, "Right"}, {Direction::Down, "Down"}, {Direction::Left, "Left"}};
constexpr Named<Entrance> EntranceNames[] = {{Entrance::Board, "Board"}, {Entrance::Blank, "Blank"}};

template <typename Value, size_t N> QString nameOf(const Named<Value> (&names)[N], Value value) {
    for (const Named<Value>& named : names)
        if (named.value == value)
            return QLatin1String(named.name);
    return QString();
}

template <typename Value, size_t N>
std::optional<Value> valueNamed(const Named<Value> (&names)[N], const QString& name) {
    for (const Named<Value>& named : names)
        if (name.compare(QLatin1String(named.name), Qt::CaseInsensitive) == 0)
            return named.value;
    return std::nullopt;
}

int modulo(qint64 value, int divisor) {
    const qint64 rest = value % divisor;
    return int(rest < 0 ? rest + divisor : rest);
}

// The plan's lengths alone: enough to check the step and the gap before anything else is worked out.
ScrollPlan lengthsOf(const board::CellGrid& cells, const AnimationSettings& settings) {
    ScrollPlan plan;
    plan.sideways = settings.direction == Direction::Left || settings.direction == Direction::Right;
    plan.forward = settings.direction == Direction::Left || settings.direction == Direction::Up;
    plan.messageLength = plan.sideways ? cells.columns : cells.rows;
    plan.panelLength = plan.sideways ? panelColumnsOf(cells, settings) : cells.rows;
    if (settings.gap != AutomaticGap)
        plan.gap = settings.gap;
    else if (plan.messageLength > plan.panelLength || settings.entrance == Entrance::Blank)
        plan.gap = plan.panelLength; // the message leaves the panel whole before it comes again
    else
        plan.gap = plan.panelLength - plan.messageLength; // widened to the panel
    plan.cycle = plan.messageLength + plan.gap;
    plan.step = settings.step;
    return plan;
}

// Whether the panel shows no cell of the message after `rotation` steps.
bool blankAt(const ScrollPlan& plan, int rotation) {
    const int start = plan.windowStart(rotation);
    return start >= plan.messageLength && start + plan.panelLength <= plan.cycle;
}

// The last frame of the step's lattice before the message's leading edge comes into the panel.
int lastBlankRotation(const ScrollPlan& plan) {
    // Moving left or up the leading edge enters once the window starts past cycle − panel; moving right
    // or down once fewer than gap + 1 steps were taken.
    const int lastBlank = plan.forward ? plan.cycle - plan.panelLength : plan.gap;
    return lastBlank < 0 ? -1 : lastBlank / plan.step * plan.step;
}

} // namespace

QString directionName(Direction direction) {
    return nameOf(DirectionNames, direction);
}

std::optional<Direction> directionNamed(const QString& name) {
    return valueNamed(DirectionNames, name);
}

QString entranceName(Entrance entrance) {
    return nameOf(EntranceNames, entrance);
}

std::optional<Entrance> entranceNamed(const QString& name) {
    return valueNamed(EntranceNames, name);
}

Direction defaultDirection() {
    return *directionNamed(QString::fromUtf8(settingskeys::key(settingskeys::KeyId::AnimDirection).defaultText));
}

Entrance defaultEntrance() {
    return *entranceNamed(QString::fromUtf8(settingskeys::key(settingskeys::KeyId::AnimEnter).defaultText));
}

int panelColumnsOf(const board::CellGrid& cells, const AnimationSettings& settings) {
    return settings.panelColumns == 0 ? cells.columns : settings.panelColumns;
}

int ScrollPlan::windowStart(int rotation) const {
    return forward ? modulo(rotation, cycle) : modulo(-qint64(rotation), cycle);
}

TimedFrame ScrollPlan::frame(int index) const {
    // Frames up to the hold, the blinks after it, then the rest of the scroll.
    int scrollFrame = index;
    if (index > holdFrame + 2 * blinks) {
        scrollFrame = index - 2 * blinks;
    } else if (index > holdFrame) {
        if ((index - holdFrame) % 2 == 1)
            return {0, true, delayMs};
        scrollFrame = holdFrame;
    }
    const int rotation = modulo(firstRotation + qint64(scrollFrame) * step, cycle);
    const bool held = index == holdFrame && holdMs > 0;
    return {rotation, false, held ? holdMs : delayMs};
}

ScrollPlan scrollPlanOf(const board::CellGrid& cells, const AnimationSettings& settings) {
    ScrollPlan plan = lengthsOf(cells, settings);
    plan.firstRotation = settings.entrance == Entrance::Blank ? lastBlankRotation(plan) : 0;
    // The leading edge is at the panel's far edge with the window at 0 moving forward, at message − panel
    // moving back; the hold is the first frame that gets there.
    const int holdRotation = plan.forward ? 0 : modulo(plan.panelLength - plan.messageLength, plan.cycle);
    const int heldRotation = modulo((holdRotation + plan.step - 1) / plan.step * plan.step, plan.cycle);
    plan.holdFrame = modulo(heldRotation - plan.firstRotation, plan.cycle) / plan.step;
    plan.holdMs = settings.holdMs;
    plan.blinks = settings.blinks;
    plan.delayMs = settings.delayMs;
    return plan;
}

int cycleOf(const board::CellGrid& cells, const AnimationSettings& settings) {
    return lengthsOf(cells, settings).cycle;
}

Sign signOf(const board::BoardState& state) {
    return {state.Cells, state.CellPictures[0], state.CellPictures[1], state.ColourCellPictures};
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
    if (sign.litColours() > board::MaxCellColour)
        return Result::failed(Failure::NothingToWrite, {}, QStringLiteral("%1 colours").arg(sign.litColours()));
    for (const QImage& colour : sign.colourCells) {
        if (colour.size() != cell)
            return Result::failed(Failure::NothingToWrite, {},
                                  QStringLiteral("%1 × %2 / %3 × %4")
                                      .arg(cell.width())
                                      .arg(cell.height())
                                      .arg(colour.width())
                                      .arg(colour.height()));
    }
    const auto highest = std::max_element(cells.lit.begin(), cells.lit.end());
    if (*highest > sign.litColours())
        return Result::failed(Failure::NothingToWrite, {},
                              QStringLiteral("colour %1 / %2").arg(*highest).arg(sign.litColours()));
    if (settings.panelColumns < 0)
        return badSetting(QStringLiteral("Panel"), settings.panelColumns, QStringLiteral("[0, …)"));
    if (settings.delayMs < MinDelayMs || settings.delayMs > MaxDelayMs)
        return badSetting(QStringLiteral("Delay"), settings.delayMs, range(MinDelayMs, MaxDelayMs));
    if (settings.loopCount < 0 || settings.loopCount > MaxLoopCount)
        return badSetting(QStringLiteral("Loop"), settings.loopCount, range(0, MaxLoopCount));
    if (settings.gap != AutomaticGap && (settings.gap < 0 || settings.gap > MaxGap))
        return badSetting(QStringLiteral("Gap"), settings.gap, QStringLiteral("{-1} ∪ ") + range(0, MaxGap));
    if (settings.holdMs < 0 || settings.holdMs > MaxHoldMs)
        return badSetting(QStringLiteral("Hold"), settings.holdMs, range(0, MaxHoldMs));
    if (settings.blinks < 0 || settings.blinks > MaxBlinks)
        return badSetting(QStringLiteral("Blink"), settings.blinks, range(0, MaxBlinks));
    const ScrollPlan plan = lengthsOf(cells, settings);
    if (settings.step < 1 || settings.step > plan.cycle || plan.cycle % settings.step != 0)
        return badSetting(QStringLiteral("Step"), settings.step, divisors(plan.cycle));
    if (settings.entrance == Entrance::Blank) {
        // A gap of panel + step − 1 cells always holds a blank frame of the step's lattice.
        const ScrollPlan planned = scrollPlanOf(cells, settings);
        if (planned.firstRotation < 0 || !blankAt(planned, planned.firstRotation))
            return badSetting(QStringLiteral("Gap"), plan.gap, range(plan.panelLength + plan.step - 1, MaxGap));
    }
    const qint64 width = qint64(panelColumnsOf(cells, settings)) * cell.width();
    const qint64 height = qint64(cells.rows) * cell.height();
    if (width * height > MaxFramePixels)
        return Result::failed(Failure::TooLarge, {}, QStringLiteral("%1 × %2").arg(width).arg(height));
    return Result::success();
}

} // namespace scroll
