#include "ui/colordialog.h"

namespace ui {

using platform::DialogAnswer;
using platform::DialogRequest;

namespace {

// RGB with red in the low byte, both ways.
QColor colorOf(int32_t rgb) {
    return QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
}
int32_t rgbOf(const QColor& color) {
    return color.red() | (color.green() << 8) | (color.blue() << 16);
}

QColor startColor(const DialogRequest& request) {
    // Custom colours are not kept from one use to the next.
    for (int i = 0; i < QColorDialog::customCount(); ++i)
        QColorDialog::setCustomColor(i, Qt::white);
    return (request.flags & platform::CcRgbInit) ? colorOf(request.color) : QColor(Qt::black);
}

} // namespace

ColorDialog::ColorDialog(const DialogRequest& request)
    : QColorDialog(startColor(request), qobject_cast<QWidget*>(request.owner)) {}

DialogAnswer ColorDialog::answer() const {
    DialogAnswer answer;
    answer.accepted = result() == Accepted;
    if (answer.accepted)
        answer.color = rgbOf(selectedColor());
    return answer;
}

} // namespace ui
