#include "platform/clipboard.h"

#include "platform/errors.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <utility>

namespace platform {

namespace {

ClipboardSource& currentSource() {
    static ClipboardSource source;
    return source;
}

QClipboard* applicationClipboard() {
    // Only a GUI application has a clipboard; a plain core application (a batch tool) has none.
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::clipboard() : nullptr;
}

QClipboard& openClipboard() {
    QClipboard* clipboard = currentSource() ? currentSource()() : applicationClipboard();
    if (!clipboard)
        raiseError(ErrClipboard);
    return *clipboard;
}

} // namespace

void clipboardClear() {
    openClipboard().clear();
}

void clipboardSetPicture(const QImage& picture) {
    QClipboard& clipboard = openClipboard();
    if (picture.isNull())
        return;
    auto* data = new QMimeData;
    data->setImageData(picture);
    clipboard.setMimeData(data); // the clipboard owns it from here
    // Another program may own the clipboard, or take it at once: then the picture did not arrive.
    const QMimeData* held = clipboard.mimeData();
    if (!held || !held->hasImage())
        raiseError(ErrClipboard);
}

ClipboardSource setClipboardSource(ClipboardSource source) {
    return std::exchange(currentSource(), std::move(source));
}

} // namespace platform
