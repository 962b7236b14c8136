#pragma once

#include <functional>

namespace platform {

// The event boundary of the windows: runs one event handler and reports any error it did not trap in a
// message box with its number and text, and any other exception with what it says. The program goes on;
// what the handler finished before the failing step stays as it is.
void runTrapped(const std::function<void()>& handler);

} // namespace platform
