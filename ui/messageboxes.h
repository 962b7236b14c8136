#pragma once

namespace ui {

// Makes every message box of the program a real modal dialog.
void installMessageBoxes();

} // namespace ui
