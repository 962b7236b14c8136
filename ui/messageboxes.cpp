#include "ui/messageboxes.h"

#include "platform/messagebox.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>

namespace ui {

namespace {

int showMessageBox(const QString& prompt, int style, const QString& title) {
    using namespace platform;
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(title);
    box.setText(prompt);
    switch (style & 0x70) {
    case MsgCritical:
        box.setIcon(QMessageBox::Critical);
        break;
    case MsgQuestion:
        box.setIcon(QMessageBox::Question);
        break;
    case MsgExclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    default:
        box.setIcon(QMessageBox::Information);
        break;
    }
    if ((style & 7) == MsgYesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        return box.exec() == QMessageBox::Yes ? AnswerYes : AnswerNo;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return AnswerOk;
}

} // namespace

void installMessageBoxes() {
    platform::setMsgBoxHandler(showMessageBox);
}

bool displayAvailable() {
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

} // namespace ui
