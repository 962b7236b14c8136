#include "codec/codecstate.h"
#include "codec/TransG32.h"

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

int DCSavetoJPEG(const platform::Surface& dc, int32_t width, int32_t height, const QString& fileName, uint8_t quality,
                 int32_t progressive) {
    detail::succeedSoFar();
    if (!detail::checkArea(dc, width, height))
        return CodecBadSize;
    if (width > JPEG_MAX_DIMENSION || height > JPEG_MAX_DIMENSION)
        return detail::fail(CodecTooLarge,
                            QStringLiteral("JPEG の画像は縦横 %1 ピクセルまでです (この画像は %2 × %3)。")
                                .arg(JPEG_MAX_DIMENSION)
                                .arg(width)
                                .arg(height));
    platform::AtomicFile file(fileName);
    if (!detail::openOutput(file))
        return CodecFileError;
    unsigned char* data = nullptr;
    unsigned long size = 0;
    const bool encoded = encode(dc.image(), width, height, quality, progressive != 0, &data, &size);
    const bool written = encoded && file.write(reinterpret_cast<const char*>(data), qint64(size)) == qint64(size);
    std::free(data);
    if (!encoded) {
        file.close();
        return detail::fail(CodecEncodeError, QStringLiteral("JPEG に変換できませんでした。"));
    }
    if (!written) {
        file.close();
        return detail::fail(CodecFileError,
                            QStringLiteral("\"%1\" に書き込めません: %2").arg(fileName, file.errorString()));
    }
    return detail::commitOutput(file) ? CodecOk : CodecFileError;
}

} // namespace codec
