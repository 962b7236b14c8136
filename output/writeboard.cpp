#include "output/writeboard.h"

#include "codec/TransG32.h"
#include "platform/errors.h"
#include "platform/numbers.h"

namespace output {

platform::Result writeBoard(const platform::Surface& board, const QString& fileName, platform::ImageFormat format,
                            const SaveOptions& options, QSize cellSize) {
    codec::ImageRows rows(board.image(), board.ScaleWidth(), board.ScaleHeight(), cellSize);
    return writeBoard(rows, fileName, format, options);
}

platform::Result writeBoard(codec::PixelRows& board, const QString& fileName, platform::ImageFormat format,
                            const SaveOptions& options) {
    using platform::ImageFormat;
    try {
        switch (format) {
        case ImageFormat::Jpeg:
            return codec::DCSavetoJPEG(board, fileName, platform::toByte(options.jpegRate),
                                       options.progressiveJpeg ? -1 : 0);
        case ImageFormat::Png:
            return codec::DCSavetoPNG(board, fileName, platform::toByte(options.pngRate));
        case ImageFormat::Bmp:
            return codec::SavePicture(board, fileName);
        }
    } catch (const platform::RuntimeError& error) {
        // A hand-edited setting that does not fit the codec's byte.
        return platform::Result::failed(platform::Failure::OptionOutOfRange, fileName,
                                        platform::errorReportText(error));
    }
    Q_UNREACHABLE(); // every format is handled above
    return platform::Result::failed(platform::Failure::EncoderError, fileName);
}

} // namespace output
