#pragma once

#include "render/options.h"

#include <QString>

#include <functional>

// lumidot-render's work: the message, the settings and the font in, the board or the sign out.
namespace render {

// A render or a write that failed: exit status 1.
struct RenderError {
    QString text;
};

// A message file longer than this (128 KiB) holds more characters than the widest board has columns (32768
// one-pixel cells, as cell origins are 16-bit), even at four bytes of UTF-8 a character: it cannot render,
// and is refused before it fills memory.
inline constexpr qint64 MaxMessageBytes = 4 * 32768;

// Carries out request. What the user should know of a render that still succeeds (characters the font
// cannot draw) goes to warn. A failure throws RenderError or UsageError (a value the sign cannot take),
// or the settings file's SettingsError.
void run(const Request& request, const std::function<void(const QString&)>& warn);

} // namespace render
