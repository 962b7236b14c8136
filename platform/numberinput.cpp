#include "platform/numberinput.h"

#include <algorithm>
#include <utility>

namespace platform {

namespace {
NumberHandler& currentHandler() {
    static NumberHandler handler;
    return handler;
}
} // namespace

std::optional<int> askNumber(const NumberRequest& request) {
    const NumberHandler& handler = currentHandler();
    if (!handler)
        return std::nullopt;
    const std::optional<int> answer = handler(request);
    if (!answer)
        return std::nullopt;
    return std::clamp(*answer, request.lowest, request.highest); // the real box offers no other value
}

NumberHandler setNumberInputHandler(NumberHandler handler) {
    return std::exchange(currentHandler(), std::move(handler));
}

} // namespace platform
