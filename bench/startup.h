#pragma once

#include <QString>

namespace bench {

// The benchmark program started with this flag and a folder runs the program's start-up once, with
// its settings in that folder, up to the main window shown, and exits: a cold start in a new process.
inline constexpr const char* StartUpOnceFlag = "--start-up-once";
int startUpOnce(const QString& settingsFolder);

} // namespace bench
