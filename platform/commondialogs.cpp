#include "platform/commondialogs.h"

#include <utility>

namespace platform {

namespace {

DialogHandler& fileHandler() {
    static DialogHandler handler;
    return handler;
}

DialogHandler& colorHandler() {
    static DialogHandler handler;
    return handler;
}

} // namespace

DialogAnswer runFileDialog(const DialogRequest& request) {
    const DialogHandler& handler = fileHandler();
    return handler ? handler(request) : DialogAnswer();
}

DialogAnswer runColorDialog(const DialogRequest& request) {
    const DialogHandler& handler = colorHandler();
    return handler ? handler(request) : DialogAnswer();
}

DialogHandler setFileDialogHandler(DialogHandler handler) {
    return std::exchange(fileHandler(), std::move(handler));
}

DialogHandler setColorDialogHandler(DialogHandler handler) {
    return std::exchange(colorHandler(), std::move(handler));
}

} // namespace platform
