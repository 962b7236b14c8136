#pragma once

#include "codec/pixelrows.h"
#include "platform/result.h"
#include "platform/surface.h"

#include <QString>

#include <cstdint>

// The codec calls the program makes.
namespace codec {

// Decodes a PNG file and draws it at its natural size with its top-left corner at the surface's origin,
// alpha-blended over what the surface holds and clipped to it. Returns 0, or something else on failure,
// when the surface is untouched.
int DCReadPNG(const QString& fileName, platform::Surface& surface);

// The writers below write the file beside its final name and rename it into place, so a failure leaves
// any earlier file as it was; the result says why one failed.

// Encodes width × height pixels of dc, from its origin, as a JPEG file at full colour resolution;
// progressive when progressive is nonzero.
platform::Result DCSavetoJPEG(const platform::Surface& dc, int32_t width, int32_t height, const QString& fileName,
                              uint8_t quality, int32_t progressive);
platform::Result DCSavetoJPEG(PixelRows& rows, const QString& fileName, uint8_t quality, int32_t progressive);

// The same pixels as a PNG file, exactly: a palette PNG when they hold 256 colours or fewer (a board of
// two dot pictures always does), else 24-bit RGB. pngSetting chooses the compression effort: 1 fastest,
// 2 smallest, anything else the default.
platform::Result DCSavetoPNG(const platform::Surface& dc, int32_t width, int32_t height, const QString& fileName,
                             uint8_t pngSetting);
platform::Result DCSavetoPNG(PixelRows& rows, const QString& fileName, uint8_t pngSetting);

// The picture writer: the whole surface as a 24-bit Windows bitmap file at the surface's resolution.
platform::Result SavePicture(const platform::Surface& picture, const QString& fileName);
platform::Result SavePicture(PixelRows& rows, const QString& fileName);

} // namespace codec
