#include "output/writeboard.h"

#include "codec/TransG32.h"
#include "platform/errors.h"
#include "platform/numbers.h"

namespace output {

platform::Result writeBoard(const platform::Surface& board, const QString& fileName, platform::ImageFormat format,
                            const SaveOptions& options) {
    using platform::ImageFormat;
    int status = codec::CodecOk;
    try {
        const int32_t width = platform::toInt32(board.ScaleWidth());
        const int32_t height = platform::toInt32(board.ScaleHeight());
        switch (format) {
        case ImageFormat::Jpeg:
            status = codec::DCSavetoJPEG(board, width, height, fileName, platform::toByte(options.jpegRate),
                                         options.progressiveJpeg ? -1 : 0);
            break;
        case ImageFormat::Png:
            status = codec::DCSavetoPNG(board, width, height, fileName, platform::toByte(options.pngRate));
            break;
        case ImageFormat::Bmp:
            status = codec::SavePicture(board, fileName);
            break;
        }
    } catch (const platform::RuntimeError& error) {
        // A hand-edited setting that does not fit the codec's byte.
        return platform::Result::failed(platform::Failure::OptionOutOfRange, fileName,
                                        platform::errorReportText(error));
    }
    if (status == codec::CodecOk)
        return platform::Result::success();
    return platform::Result::failed(platform::Failure::EncoderError, fileName, codec::DCLastError());
}

} // namespace output
