#pragma once

#include <QImage>

#include <functional>

class QClipboard;

// The system clipboard as the program uses it: emptied, then given one picture. A clipboard that
// cannot be opened, or that does not hold the picture afterwards, raises error 521.
namespace platform {

void clipboardClear();

// Puts the picture on the clipboard in place of what it held, offered in the desktop's usual image
// formats (PNG and BMP among them). An empty picture puts nothing there: no program could paste it.
void clipboardSetPicture(const QImage& picture);

// Where the clipboard comes from: the application's clipboard unless replaced; a source that gives
// none counts as a clipboard that cannot be opened. Returns the source it replaces.
using ClipboardSource = std::function<QClipboard*()>;
ClipboardSource setClipboardSource(ClipboardSource source);

} // namespace platform
