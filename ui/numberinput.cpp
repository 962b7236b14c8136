#include "ui/numberinput.h"

#include "platform/numberinput.h"

#include <QInputDialog>

namespace ui {

namespace {

std::optional<int> showNumberInput(const platform::NumberRequest& request) {
    QInputDialog box(qobject_cast<QWidget*>(request.owner));
    box.setWindowTitle(request.title);
    box.setLabelText(request.label);
    box.setInputMode(QInputDialog::IntInput);
    box.setIntRange(request.lowest, request.highest);
    box.setIntValue(request.value);
    if (box.exec() != QDialog::Accepted)
        return std::nullopt;
    return box.intValue();
}

} // namespace

void installNumberInput() {
    platform::setNumberInputHandler(showNumberInput);
}

} // namespace ui
