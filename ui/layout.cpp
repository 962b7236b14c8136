#include "ui/layout.h"

#include <QLabel>
#include <QWidget>

#include <algorithm>

namespace ui {

void fitCaption(QLabel* label) {
    constexpr qreal SmallestReadablePoints = 6.0;
    QFont font = label->font();
    const int room = label->width() - 2 * label->frameWidth();
    while (QFontMetrics(font).horizontalAdvance(label->text()) > room && font.pointSizeF() > SmallestReadablePoints)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    label->setFont(font);
}

void setTabColumn(std::vector<std::pair<int, QWidget*>> controls) {
    std::sort(controls.begin(), controls.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (size_t n = 1; n < controls.size(); ++n)
        QWidget::setTabOrder(controls[n - 1].second, controls[n].second);
}

} // namespace ui
