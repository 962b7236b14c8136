#pragma once

#include <cstdint>

namespace output {

// The PNG setting as the settings file stores it, its place on the options window's scale (which runs
// from the fastest file to the smallest) and its name on the command line.
struct PngSetting {
    int16_t stored;
    int scalePosition;
    const char* name;
};
inline constexpr PngSetting PngSettings[] = {{1, 0, "fast"}, {0, 1, "default"}, {2, 2, "small"}};

// The scale position of a stored setting, -1 for a value the scale cannot show; the stored setting at a
// scale position (the smallest file past the end).
constexpr int pngScalePosition(int16_t stored) {
    for (const PngSetting& setting : PngSettings)
        if (setting.stored == stored)
            return setting.scalePosition;
    return -1;
}
constexpr int16_t pngSettingAt(int position) {
    for (const PngSetting& setting : PngSettings)
        if (setting.scalePosition == position)
            return setting.stored;
    return 2;
}

} // namespace output
