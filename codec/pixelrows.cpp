#include "codec/pixelrows.h"

namespace codec {

ImageRows::ImageRows(const QImage& image, int32_t width, int32_t height, QSize tileSize)
    : m_image(image.format() == QImage::Format_RGB32 ? image : image.convertToFormat(QImage::Format_RGB32)),
      m_tileSize(tileSize), m_width(width), m_height(height) {}

} // namespace codec
