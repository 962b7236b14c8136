#pragma once

#include "platform/surface.h"

#include <QString>

#include <cstdint>

// The codec calls the program makes. Each returns 0 on success and something else on failure.
namespace codec {

// Decodes a PNG file and draws it at its natural size with its top-left corner at the surface's origin,
// alpha-blended over what the surface holds and clipped to it. On failure the surface is untouched.
int DCReadPNG(const QString& fileName, platform::Surface& surface);

// Results of the writers: 0 is success; anything else failed and DCLastError() says why.
enum CodecStatus : int {
    CodecOk = 0,
    CodecBadSize = 1,   // nothing to write, or more than the surface holds
    CodecTooLarge = 2,  // beyond what the format can hold
    CodecFileError = 3, // the file could not be written
    CodecEncodeError = 4,
};

// Encodes width × height pixels of dc, from its origin, as a JPEG file; progressive when progressive is
// nonzero. The file is written beside its final name and renamed into place, so a failure leaves any
// earlier file as it was.
int DCSavetoJPEG(const platform::Surface& dc, int32_t width, int32_t height, const QString& fileName, uint8_t quality,
                 int32_t progressive);

// The same pixels as a PNG file. pngSetting chooses the compression effort: 1 fastest (zlib level 1),
// 2 smallest (level 9), anything else the library's default (level 6).
int DCSavetoPNG(const platform::Surface& dc, int32_t width, int32_t height, const QString& fileName,
                uint8_t pngSetting);

// The picture writer: the whole surface as a Windows bitmap file, written and renamed into place like
// the codec's files.
int SavePicture(const platform::Surface& picture, const QString& fileName);

// Why the last codec call failed, in the interface's language.
QString DCLastError();

} // namespace codec
