#pragma once

namespace ui {

// Makes every message box of the program a real modal dialog.
void installMessageBoxes();

// Whether the program runs on a real display, where a modal dialog can be seen and answered.
bool displayAvailable();

} // namespace ui
