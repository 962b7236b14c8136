#include "codec/codecstate.h"
#include "codec/TransG32.h"

#include "platform/atomicfile.h"

#include <png.h>

#include <csetjmp>

namespace codec {

namespace {

int zlibLevel(uint8_t pngSetting) {
    switch (pngSetting) {
    case 1:
        return 1;
    case 2:
        return 9;
    default:
        return 6;
    }
}

void writeToFile(png_structp png, png_bytep data, png_size_t length) {
    auto* file = static_cast<platform::AtomicFile*>(png_get_io_ptr(png));
    if (file->write(reinterpret_cast<const char*>(data), qint64(length)) != qint64(length))
        png_error(png, "write failed");
}

void flushNothing(png_structp) {}

// The reason is told to the user by the caller; libpng only has to unwind.
void quietError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void quietWarning(png_structp, png_const_charp) {}

// Kept free of C++ objects with destructors: libpng reports errors by jumping back to setjmp.
bool encode(const QImage& image, int32_t width, int32_t height, int level, platform::AtomicFile* file) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, quietError, quietWarning);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, file, writeToFile, flushNothing);
    png_set_compression_level(png, level);
    // A board repeats its dot pictures cell after cell: deflate finds those repeats best unfiltered, and
    // skipping the filter search makes writing two to three times faster.
    png_set_filter(png, 0, PNG_FILTER_NONE);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_pHYs(png, info, 3780, 3780, PNG_RESOLUTION_METER); // 96 dpi, like every surface
    png_write_info(png, info);
    // The surface holds 0xFFRRGGBB words, which are B, G, R, X bytes in memory.
    png_set_bgr(png);
    png_set_filler(png, 0, PNG_FILLER_AFTER);
    for (int32_t row = 0; row < height; ++row)
        png_write_row(png, const_cast<png_bytep>(image.constScanLine(row)));
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

int DCSavetoPNG(const platform::Surface& dc, int32_t width, int32_t height, const QString& fileName,
                uint8_t pngSetting) {
    detail::succeedSoFar();
    if (!detail::checkArea(dc, width, height))
        return CodecBadSize;
    platform::AtomicFile file(fileName);
    if (!detail::openOutput(file))
        return CodecFileError;
    if (!encode(dc.image(), width, height, zlibLevel(pngSetting), &file)) {
        file.close();
        return detail::fail(CodecFileError,
                            QStringLiteral("\"%1\" に書き込めません: %2").arg(fileName, file.errorString()));
    }
    return detail::commitOutput(file) ? CodecOk : CodecFileError;
}

} // namespace codec
