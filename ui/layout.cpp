#include "ui/layout.h"

#include <QLabel>
#include <QWidget>

#include <algorithm>

namespace ui {

namespace {

void fitCaption(QLabel* label) {
    constexpr qreal SmallestReadablePoints = 6.0;
    QFont font = label->font();
    const int room = label->width() - 2 * label->frameWidth();
    while (QFontMetrics(font).horizontalAdvance(label->text()) > room && font.pointSizeF() > SmallestReadablePoints)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    label->setFont(font);
}

} // namespace

QString controlName(const ControlPlacement& placement) {
    return QStringLiteral("%1(%2)").arg(QLatin1String(placement.name)).arg(placement.index);
}

void ControlPlacer::place(QWidget* control, const ControlPlacement& placement) {
    control->setObjectName(controlName(placement));
    control->setGeometry(placement.x, placement.y, placement.width, placement.height);
    if (auto* label = qobject_cast<QLabel*>(control))
        fitCaption(label);
    if (control->focusPolicy() != Qt::NoFocus)
        m_tabColumn.emplace_back(placement.tab, control);
}

void ControlPlacer::finish() {
    std::sort(m_tabColumn.begin(), m_tabColumn.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (size_t n = 1; n < m_tabColumn.size(); ++n)
        QWidget::setTabOrder(m_tabColumn[n - 1].second, m_tabColumn[n].second);
}

} // namespace ui
