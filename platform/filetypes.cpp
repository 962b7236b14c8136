#include "platform/filetypes.h"

#include <QFileInfo>

namespace platform {

namespace {

// The dot image extensions in the order the open dialog lists them; GIF only when the settings allow.
struct DotFileType {
    const char* extension;
    bool isGif;
};
constexpr DotFileType DotImageTypes[] = {
    {".BMP", false}, {".GIF", true}, {".ICO", false}, {".JPG", false}, {".PNG", false}};

} // namespace

QString FileExtension(const QString& fileName) {
    return fileName.right(4).toUpper();
}

const OutputFileType* outputTypeNamed(const QString& extension) {
    for (const OutputFileType& type : OutputFileTypes)
        if (extension.compare(QLatin1String(type.extension), Qt::CaseInsensitive) == 0)
            return &type;
    return nullptr;
}

std::optional<ImageFormat> boardFormatNamed(const QString& fileName) {
    const QString extension = FileExtension(fileName);
    for (const OutputFileType& type : OutputFileTypes)
        if (type.boardDialog && extension == u'.' + QString::fromLatin1(type.extension).toUpper())
            return type.still;
    return std::nullopt;
}

ImageFormat saveFormatOf(const QString& fileName) {
    return boardFormatNamed(fileName).value_or(ImageFormat::Bmp);
}

QString extensionOf(ImageFormat format) {
    for (const OutputFileType& type : OutputFileTypes)
        if (type.boardDialog && type.still == format)
            return u'.' + QString::fromLatin1(type.extension).toUpper();
    return QString();
}

std::optional<AnimationFormat> animationFormatOf(const QString& fileName) {
    const OutputFileType* type = outputTypeNamed(QFileInfo(fileName).suffix());
    return type ? type->animation : std::nullopt;
}

QString extensionOf(AnimationFormat format) {
    for (const OutputFileType& type : OutputFileTypes)
        if (type.animation == format)
            return u'.' + QLatin1String(type.extension);
    return QString();
}

bool isDotImageName(const QString& fileName, bool allowGif) {
    const QString extension = FileExtension(fileName);
    for (const DotFileType& type : DotImageTypes)
        if (extension == QLatin1String(type.extension))
            return allowGif || !type.isGif;
    return false;
}

QString dotImagePatterns(bool allowGif) {
    QStringList patterns;
    for (const DotFileType& type : DotImageTypes)
        if (allowGif || !type.isGif)
            patterns << QLatin1Char('*') + QString::fromLatin1(type.extension).toLower();
    return patterns.join(QLatin1Char(';'));
}

} // namespace platform
