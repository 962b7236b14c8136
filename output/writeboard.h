#pragma once

#include "codec/pixelrows.h"
#include "platform/filetypes.h"
#include "platform/result.h"
#include "platform/surface.h"
#include "settingskeys/keys.h"

#include <QString>

#include <cstdint>

namespace output {

// The save options as the writers take them: the JPEG quality and progressive flag, and the PNG setting
// (1 fastest, 0 default, 2 smallest). They start as the settings file's defaults have them.
struct SaveOptions {
    int16_t jpegRate = settingskeys::defaultWhole(settingskeys::KeyId::JpegRate);
    bool progressiveJpeg = settingskeys::defaultWhole(settingskeys::KeyId::JpegPrgrs) != 0;
    int16_t pngRate = settingskeys::defaultWhole(settingskeys::KeyId::PngRate);
};

// Writes the board's drawing area to fileName in format, whole or not at all: a failure leaves any
// earlier file as it was and says why. cellSize, when the board is painted in cells of that size, lets a
// PNG be compressed cell by cell, as the board's cells write it.
platform::Result writeBoard(const platform::Surface& board, const QString& fileName, platform::ImageFormat format,
                            const SaveOptions& options, QSize cellSize = {});
// The same for a board given row by row.
platform::Result writeBoard(codec::PixelRows& board, const QString& fileName, platform::ImageFormat format,
                            const SaveOptions& options);

} // namespace output
