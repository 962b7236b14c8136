#pragma once

#include "codec/pixelrows.h"
#include "platform/result.h"
#include "platform/surface.h"

#include <QImage>

#include <cstdint>

namespace platform {
class AtomicFile;
}

// Pieces the writers share: the area check and the file that is written beside its target and renamed
// into place.
namespace codec::detail {

// Whether width × height pixels from the origin lie inside dc.
platform::Result checkArea(const platform::Surface& dc, int32_t width, int32_t height, const QString& fileName);

// Whether there is a pixel to write.
platform::Result checkRows(const PixelRows& rows, const QString& fileName);

// Opens the temporary file beside the target that a successful commit renames into place.
platform::Result openOutput(platform::AtomicFile& file);
// Why a write to the file was refused.
platform::Result writeFailure(const platform::AtomicFile& file);
// Renames the finished temporary file into place.
platform::Result commitOutput(platform::AtomicFile& file);

} // namespace codec::detail
