#include "platform/eventboundary.h"

#include "platform/errors.h"
#include "platform/messagebox.h"

#include <new>

namespace platform {

void runTrapped(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const RuntimeError& error) {
        MsgBox(errorReportText(error), MsgCritical, QStringLiteral("Lumidot"));
    } catch (const std::bad_alloc&) {
        MsgBox(errorReportText(RuntimeError(ErrOutOfMemory)), MsgCritical, QStringLiteral("Lumidot"));
    }
}

} // namespace platform
