#include "codec/codecstate.h"

#include "codec/TransG32.h"
#include "platform/atomicfile.h"

#include <QFileInfo>

namespace codec {

namespace {
QString& lastError() {
    static QString text;
    return text;
}

QString fileReason(const platform::AtomicFile& file) {
    const QFileInfo target(file.fileName());
    if (target.isDir())
        return QStringLiteral("\"%1\" はフォルダです。").arg(file.fileName());
    return QStringLiteral("\"%1\" に書き込めません: %2").arg(file.fileName(), file.errorString());
}
} // namespace

QString DCLastError() {
    return lastError();
}

namespace detail {

int fail(int status, const QString& reason) {
    lastError() = reason;
    return status;
}

void succeedSoFar() {
    lastError().clear();
}

bool checkArea(const platform::Surface& dc, int32_t width, int32_t height) {
    if (width <= 0 || height <= 0 || width > dc.ScaleWidth() || height > dc.ScaleHeight()) {
        fail(CodecBadSize, QStringLiteral("書き出す画像がありません (%1 × %2 ピクセル)。").arg(width).arg(height));
        return false;
    }
    return true;
}

bool openOutput(platform::AtomicFile& file) {
    if (QFileInfo(file.fileName()).isDir() || !file.open(QIODevice::WriteOnly)) {
        fail(CodecFileError, fileReason(file));
        return false;
    }
    return true;
}

bool commitOutput(platform::AtomicFile& file) {
    if (!file.commit()) {
        fail(CodecFileError, fileReason(file));
        return false;
    }
    return true;
}

} // namespace detail
} // namespace codec
