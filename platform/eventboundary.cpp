#include "platform/eventboundary.h"

#include "platform/errors.h"
#include "platform/messagebox.h"

#include <exception>
#include <new>

namespace platform {

void runTrapped(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const RuntimeError& error) {
        MsgBox(errorReportText(error), MsgCritical, QStringLiteral("Lumidot"));
    } catch (const std::bad_alloc&) {
        MsgBox(errorReportText(RuntimeError(ErrOutOfMemory)), MsgCritical, QStringLiteral("Lumidot"));
    } catch (const std::exception& error) {
        // Anything else the system or a library throws ends this handler only, never the program.
        MsgBox(QStringLiteral("予期しないエラーが発生しました: %1").arg(QString::fromLocal8Bit(error.what())),
               MsgCritical, QStringLiteral("Lumidot"));
    }
}

} // namespace platform
