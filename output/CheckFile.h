#pragma once

#include <QString>

#include <cstdint>

namespace output {

// What a save target is: 0 an existing file that is not empty, 1 an empty or blank name, 2 no such
// file, 3 an existing empty file. Any other trouble (a folder that does not exist, a name the system
// refuses) raises the run-time error that describes it.
int16_t CheckFile(const QString& path);

} // namespace output
