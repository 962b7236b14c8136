#include "codec/outputfile.h"

#include "platform/atomicfile.h"

#include <cerrno>

namespace codec::detail {

namespace {

// Why the file refused, in its own words: the system's error number, or a target that is no regular file
// or whose links loop. EIO stands in should it have none.
platform::Result failureOf(const platform::AtomicFile& file) {
    const platform::Result result = file.result();
    return result.ok() ? platform::Result::system(file.fileName(), EIO) : result;
}

} // namespace

platform::Result checkArea(const platform::Surface& dc, int32_t width, int32_t height, const QString& fileName) {
    if (width <= 0 || height <= 0 || width > dc.ScaleWidth() || height > dc.ScaleHeight() || dc.image().isNull())
        return platform::Result::failed(platform::Failure::NothingToWrite, fileName,
                                        QStringLiteral("%1 × %2").arg(width).arg(height));
    return platform::Result::success();
}

platform::Result checkRows(const PixelRows& rows, const QString& fileName) {
    if (rows.width() <= 0 || rows.height() <= 0)
        return platform::Result::failed(platform::Failure::NothingToWrite, fileName,
                                        QStringLiteral("%1 × %2").arg(rows.width()).arg(rows.height()));
    return platform::Result::success();
}

platform::Result openOutput(platform::AtomicFile& file) {
    return file.open(QIODevice::WriteOnly) ? platform::Result::success() : failureOf(file);
}

platform::Result writeFailure(const platform::AtomicFile& file) {
    return failureOf(file);
}

platform::Result commitOutput(platform::AtomicFile& file) {
    return file.commit() ? platform::Result::success() : failureOf(file);
}

} // namespace codec::detail
