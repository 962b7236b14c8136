#include "board/panel.h"

namespace board {

namespace {

struct NamedAlign {
    PanelAlign align;
    const char* name;
};
constexpr NamedAlign AlignNames[] = {
    {PanelAlign::Left, "Left"}, {PanelAlign::Center, "Center"}, {PanelAlign::Right, "Right"}};

} // namespace

QString alignName(PanelAlign align) {
    for (const NamedAlign& named : AlignNames)
        if (named.align == align)
            return QLatin1String(named.name);
    return QString();
}

std::optional<PanelAlign> alignNamed(const QString& name) {
    for (const NamedAlign& named : AlignNames)
        if (name.compare(QLatin1String(named.name), Qt::CaseInsensitive) == 0)
            return named.align;
    return std::nullopt;
}

} // namespace board
