#include "dots/LoadDotImage.h"

#include "codec/TransG32.h"
#include "platform/errors.h"
#include "platform/filetypes.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>

#include <array>
#include <cstdlib>

namespace dots {

using platform::Surface;

namespace {

// Notes whether a reader asked for bytes beyond the end. Qt's BMP reader returns a picture for a file
// cut short, its missing rows left as whatever memory held; only this tells such a file apart.
class EndAwareFile : public QFile {
public:
    using QFile::QFile;
    bool readPastEnd() const { return m_readPastEnd; }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        const qint64 read = QFile::readData(data, maxSize);
        m_readPastEnd = m_readPastEnd || read < maxSize;
        return read;
    }

private:
    bool m_readPastEnd = false;
};

// The first image of a BMP, ICO, JPEG or GIF file, recognised by its content, with transparent pixels
// laid over background. A null image when the file is none of these, cannot be read, is cut short or
// is too large.
QImage readPicture(const QString& fileName, QRgb background) {
    // Only a regular file: opening a named pipe would wait for a writer forever.
    EndAwareFile file(fileName);
    if (!QFileInfo(fileName).isFile() || !file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return QImage();
    QImageReader reader(&file); // keeps Qt's allocation limit
    static const QList<QByteArray> formats = {"bmp", "ico", "jpeg", "jpg", "gif"};
    const QByteArray format = reader.format(); // asked once: after the read it looks at the file's end
    if (!formats.contains(format))
        return QImage();
    // The header tells the size before any pixel is decoded: a forged or huge image costs nothing. A BMP
    // stored top row first says so with a negative height, which Qt passes on.
    const QSize size = reader.size();
    const int height = std::abs(size.height());
    if (size.width() <= 0 || height == 0 || !platform::surfaceSizeAllowed(size.width(), height))
        return QImage();
    const QImage picture = reader.read();
    // The BMP reader asks for exactly the bytes it needs, so a read past the end means missing pixels.
    if (picture.isNull() || (format == "bmp" && file.readPastEnd()))
        return QImage();
    if (!picture.hasAlphaChannel())
        return picture;
    QImage composed = platform::newImage96(picture.width(), picture.height());
    composed.fill(background);
    QPainter(&composed).drawImage(0, 0, picture);
    return composed;
}

} // namespace

int16_t LoadDotImage(board::BoardState& state, const QString& fileName, int16_t index) {
    int16_t result = 1;
    platform::skipOnError([&] {
        Surface& box = state.Dot[index];
        if (platform::boardFormatNamed(fileName) == platform::ImageFormat::Png) {
            if (LoadPngDot(box, fileName, index == 0))
                result = 0;
            return;
        }
        const QImage picture = readPicture(fileName, box.backColor());
        if (picture.isNull())
            return;
        box.setPicture(picture);
        result = 0;
    });
    return result;
}

bool LoadPngDot(Surface& box, const QString& fileName, bool setsCellSize) {
    // Only a regular file: opening a named pipe would wait for a writer forever.
    QFile file(fileName);
    if (!QFileInfo(fileName).isFile() || !file.open(QIODevice::ReadOnly))
        platform::raiseError(QFileInfo::exists(fileName) ? platform::ErrPathFileAccess : platform::ErrFileNotFound);
    const QByteArray header = file.read(24);
    file.close();
    // Byte at a 1-based file position; 0 past the end of a short file.
    const auto byteAt = [&header](int position) {
        return position <= header.size() ? uint8_t(header[position - 1]) : 0;
    };

    static constexpr std::array<uint8_t, 8> signature = {137, 80, 78, 71, 13, 10, 26, 10};
    for (int i = 0; i < int(signature.size()); ++i)
        if (byteAt(i + 1) != signature[i])
            return false;
    // The IHDR width and height, 32 bits each, high byte first. A size the program cannot take is refused
    // like any oversized dot, before anything is decoded: a cell size must fit in 16 bits.
    const auto word = [&byteAt](int position) {
        return quint32(byteAt(position)) << 24 | quint32(byteAt(position + 1)) << 16 |
               quint32(byteAt(position + 2)) << 8 | quint32(byteAt(position + 3));
    };
    const quint32 width = word(17);
    const quint32 height = word(21);
    if ((setsCellSize && (width > quint32(INT16_MAX) || height > quint32(INT16_MAX))) ||
        !platform::surfaceSizeAllowed(qint64(width), qint64(height)))
        return false;

    // Decoded on a copy, so that a file the codec rejects leaves the box's picture and size alone. Clear
    // pixels show the box's back colour, as they do for every other format.
    Surface drawn = box;
    drawn.resize(int(width), int(height));
    drawn.Cls();
    if (codec::DCReadPNG(fileName, drawn) != 0)
        return false;
    box = std::move(drawn);
    return true;
}

bool loadDroppedDotFiles(board::BoardState& state, const QStringList& fileNames, int16_t index, bool allowGif) {
    for (const QString& fileName : fileNames)
        if (platform::isDotImageName(fileName, allowGif) && LoadDotImage(state, fileName, index) == 0)
            return true;
    return false;
}

void useGeneratedDots(board::BoardState& state, const DotStyle& style) {
    state.Dot[0].setPicture(litDot(style));
    state.Dot[1].setPicture(unlitDot(style));
}

} // namespace dots
