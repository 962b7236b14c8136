#pragma once

#include <QString>

#include <functional>

// The one way the program asks or tells the user something in a message box. The window layer
// installs the real dialog; tests install a scripted answer; without either, the text goes to
// standard error and a question counts as answered No.
namespace platform {

// Style values: the buttons plus the icon, as the message texts are designed with them.
enum MsgBoxStyle : int {
    MsgOkOnly = 0,
    MsgYesNo = 4,
    MsgCritical = 16,
    MsgQuestion = 32,
    MsgExclamation = 48,
};

// Answers.
enum MsgBoxResult : int {
    AnswerOk = 1,
    AnswerYes = 6,
    AnswerNo = 7,
};

using MsgBoxHandler = std::function<int(const QString& prompt, int style, const QString& title)>;

int MsgBox(const QString& prompt, int style, const QString& title);

// Installs the handler for every later message box; returns the one it replaces.
MsgBoxHandler setMsgBoxHandler(MsgBoxHandler handler);

} // namespace platform
