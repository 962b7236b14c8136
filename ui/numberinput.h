#pragma once

namespace ui {

// Makes every number question of the program a real input box, modal over its owner window.
void installNumberInput();

} // namespace ui
