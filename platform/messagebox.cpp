#include "platform/messagebox.h"

#include <cstdio>

namespace platform {

namespace {
MsgBoxHandler& currentHandler() {
    static MsgBoxHandler handler;
    return handler;
}
} // namespace

int MsgBox(const QString& prompt, int style, const QString& title) {
    if (const MsgBoxHandler& handler = currentHandler())
        return handler(prompt, style, title);
    std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(prompt));
    return (style & 7) == MsgYesNo ? AnswerNo : AnswerOk; // nobody to ask: never agree to anything
}

MsgBoxHandler setMsgBoxHandler(MsgBoxHandler handler) {
    return std::exchange(currentHandler(), std::move(handler));
}

} // namespace platform
