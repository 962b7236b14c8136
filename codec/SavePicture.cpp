#include "codec/codecstate.h"
#include "codec/TransG32.h"

#include "platform/atomicfile.h"

#include <QImageWriter>

namespace codec {

int SavePicture(const platform::Surface& picture, const QString& fileName) {
    detail::succeedSoFar();
    if (!detail::checkArea(picture, picture.ScaleWidth(), picture.ScaleHeight()))
        return CodecBadSize;
    platform::AtomicFile file(fileName);
    if (!detail::openOutput(file))
        return CodecFileError;
    QImageWriter writer(&file, "bmp");
    if (!writer.write(picture.image())) {
        file.close();
        return detail::fail(CodecFileError,
                            QStringLiteral("\"%1\" に書き込めません: %2").arg(fileName, writer.errorString()));
    }
    return detail::commitOutput(file) ? CodecOk : CodecFileError;
}

} // namespace codec
