#include "codec/TransG32.h"
#include "codec/outputfile.h"

#include "platform/atomicfile.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace codec {

namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

void jumpBack(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

// Encodes into memory; kept free of C++ objects with destructors, since libjpeg reports errors by
// jumping back to setjmp. On success *data (allocated by libjpeg, freed with free) holds the file.
bool encode(const QImage& image, int32_t width, int32_t height, int quality, bool progressive, unsigned char** data,
            unsigned long* size) {
    jpeg_compress_struct info;
    ErrorManager errors;
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = jumpBack;
    if (setjmp(errors.jump)) {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, data, size);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    info.input_components = 4;
    info.in_color_space = JCS_EXT_BGRX; // the surface's 0xFFRRGGBB words, as bytes in memory
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    // Full colour resolution: the board is sharp red dots, which halved chroma would smear.
    for (int component = 0; component < info.num_components; ++component)
        info.comp_info[component].h_samp_factor = info.comp_info[component].v_samp_factor = 1;
    if (progressive)
        jpeg_simple_progression(&info);
    info.density_unit = 1; // 96 dpi, like every surface
    info.X_density = 96;
    info.Y_density = 96;
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(image.constScanLine(int(info.next_scanline)));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

} // namespace

platform::Result DCSavetoJPEG(const platform::Surface& dc, int32_t width, int32_t height, const QString& fileName,
                              uint8_t quality, int32_t progressive) {
    if (const platform::Result area = detail::checkArea(dc, width, height, fileName); !area.ok())
        return area;
    if (width > JPEG_MAX_DIMENSION || height > JPEG_MAX_DIMENSION)
        return platform::Result::failed(
            platform::Failure::TooLarge, fileName,
            QStringLiteral("JPEG %1 × %2 > %3 × %3").arg(width).arg(height).arg(JPEG_MAX_DIMENSION));
    const QImage image = detail::pixelsOf(dc);
    platform::AtomicFile file(fileName);
    if (const platform::Result opened = detail::openOutput(file); !opened.ok())
        return opened;
    unsigned char* data = nullptr;
    unsigned long size = 0;
    if (!encode(image, width, height, quality, progressive != 0, &data, &size)) {
        std::free(data);
        return platform::Result::failed(platform::Failure::EncoderError, fileName, QStringLiteral("libjpeg"));
    }
    const bool written = file.write(reinterpret_cast<const char*>(data), qint64(size)) == qint64(size);
    const platform::Result result = written ? platform::Result::success() : detail::writeFailure(file);
    std::free(data);
    return result.ok() ? detail::commitOutput(file) : result;
}

} // namespace codec
