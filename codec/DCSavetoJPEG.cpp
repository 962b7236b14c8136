#include "codec/TransG32.h"
#include "codec/outputfile.h"

#include "platform/atomicfile.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>
#include <jerror.h>

namespace codec {

namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

void jumpBack(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

// Compressed bytes go to the file 1 MiB at a time, so memory stays flat whatever the picture's size. A
// refused write stops the encoder through its error exit; failed tells the caller, the file says why.
struct FileDestination {
    jpeg_destination_mgr base;
    platform::AtomicFile* file;
    JOCTET* buffer;
    bool failed;
};

constexpr size_t DestinationBytes = size_t(1) << 20;

FileDestination* destinationOf(j_compress_ptr info) {
    return reinterpret_cast<FileDestination*>(info->dest);
}

void startDestination(j_compress_ptr info) {
    FileDestination* destination = destinationOf(info);
    // From the encoder's pool: freed with it, also when an error jumps out.
    destination->buffer = static_cast<JOCTET*>(
        (*info->mem->alloc_large)(reinterpret_cast<j_common_ptr>(info), JPOOL_IMAGE, DestinationBytes));
    destination->base.next_output_byte = destination->buffer;
    destination->base.free_in_buffer = DestinationBytes;
}

void putBytes(j_compress_ptr info, size_t bytes) {
    FileDestination* destination = destinationOf(info);
    if (destination->file->write(reinterpret_cast<const char*>(destination->buffer), qint64(bytes)) != qint64(bytes)) {
        destination->failed = true;
        ERREXIT(info, JERR_FILE_WRITE);
    }
    destination->base.next_output_byte = destination->buffer;
    destination->base.free_in_buffer = DestinationBytes;
}

boolean emptyDestination(j_compress_ptr info) {
    putBytes(info, DestinationBytes);
    return TRUE;
}

void finishDestination(j_compress_ptr info) {
    putBytes(info, DestinationBytes - destinationOf(info)->base.free_in_buffer);
}

// Kept free of C++ objects with destructors, since libjpeg reports errors by jumping back to setjmp.
bool encode(PixelRows& rows, int quality, bool progressive, FileDestination* destination) {
    jpeg_compress_struct info;
    ErrorManager errors;
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = jumpBack;
    if (setjmp(errors.jump)) {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    destination->base.init_destination = startDestination;
    destination->base.empty_output_buffer = emptyDestination;
    destination->base.term_destination = finishDestination;
    info.dest = &destination->base;
    info.image_width = JDIMENSION(rows.width());
    info.image_height = JDIMENSION(rows.height());
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
        JSAMPROW row = const_cast<JSAMPROW>(reinterpret_cast<const JSAMPLE*>(rows.row(int32_t(info.next_scanline))));
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
    ImageRows rows(dc.image(), width, height);
    return DCSavetoJPEG(rows, fileName, quality, progressive);
}

platform::Result DCSavetoJPEG(PixelRows& rows, const QString& fileName, uint8_t quality, int32_t progressive) {
    if (const platform::Result area = detail::checkRows(rows, fileName); !area.ok())
        return area;
    const int32_t width = rows.width();
    const int32_t height = rows.height();
    if (width > JPEG_MAX_DIMENSION || height > JPEG_MAX_DIMENSION)
        return platform::Result::failed(
            platform::Failure::TooLarge, fileName,
            QStringLiteral("JPEG %1 × %2 > %3 × %3").arg(width).arg(height).arg(JPEG_MAX_DIMENSION));
    platform::AtomicFile file(fileName);
    if (const platform::Result opened = detail::openOutput(file); !opened.ok())
        return opened;
    FileDestination destination{{}, &file, nullptr, false};
    if (!encode(rows, quality, progressive != 0, &destination)) {
        if (destination.failed)
            return detail::writeFailure(file);
        return platform::Result::failed(platform::Failure::EncoderError, fileName, QStringLiteral("libjpeg"));
    }
    return detail::commitOutput(file);
}

} // namespace codec
