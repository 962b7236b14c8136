#include "codec/outputfile.h"

#include "platform/atomicfile.h"

#include <QFileInfo>

#include <cerrno>

namespace codec::detail {

namespace {

// The error number the file's last failed call left; a short write sets none, and is most likely a
// full device.
int lastSystemError() {
    return errno != 0 ? errno : ENOSPC;
}

} // namespace

platform::Result checkArea(const platform::Surface& dc, int32_t width, int32_t height, const QString& fileName) {
    if (width <= 0 || height <= 0 || width > dc.ScaleWidth() || height > dc.ScaleHeight() || dc.image().isNull())
        return platform::Result::failed(platform::Failure::NothingToWrite, fileName,
                                        QStringLiteral("%1 × %2").arg(width).arg(height));
    return platform::Result::success();
}

QImage pixelsOf(const platform::Surface& dc) {
    const QImage& image = dc.image();
    return image.format() == QImage::Format_RGB32 ? image : image.convertToFormat(QImage::Format_RGB32);
}

platform::Result openOutput(platform::AtomicFile& file) {
    if (QFileInfo(file.fileName()).isDir())
        return platform::Result::failed(platform::Failure::NotRegularFile, file.fileName());
    errno = 0;
    if (!file.open(QIODevice::WriteOnly))
        return platform::Result::system(file.fileName(), lastSystemError());
    return platform::Result::success();
}

platform::Result writeFailure(const platform::AtomicFile& file) {
    return platform::Result::system(file.fileName(), lastSystemError());
}

platform::Result commitOutput(platform::AtomicFile& file) {
    errno = 0;
    if (!file.commit())
        return platform::Result::system(file.fileName(), lastSystemError());
    return platform::Result::success();
}

} // namespace codec::detail
