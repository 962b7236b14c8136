#include "codec/TransG32.h"

#include <QImageReader>
#include <QPainter>

namespace codec {

int DCReadPNG(const QString& fileName, platform::Surface& surface) {
    // A PNG or nothing; the reader also keeps Qt's allocation limit.
    QImageReader reader(fileName, "png");
    reader.setAutoDetectImageFormat(false);
    // The header tells the size before any pixel is decoded: a forged or huge image costs nothing.
    const QSize size = reader.size();
    if (!size.isValid() || !platform::surfaceSizeAllowed(size.width(), size.height()))
        return 1;
    const QImage image = reader.read();
    if (image.isNull())
        return 1;
    if (!surface.image().isNull()) {
        QPainter painter(&surface.image());
        painter.drawImage(0, 0, image);
    }
    return 0;
}

} // namespace codec
