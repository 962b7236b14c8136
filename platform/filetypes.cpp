#include "platform/filetypes.h"

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

std::optional<ImageFormat> boardFormatNamed(const QString& fileName) {
    const QString extension = FileExtension(fileName);
    for (const ImageFileType& type : BoardImageTypes)
        if (extension == QLatin1String(type.extension))
            return type.format;
    return std::nullopt;
}

ImageFormat saveFormatOf(const QString& fileName) {
    return boardFormatNamed(fileName).value_or(ImageFormat::Bmp);
}

QString extensionOf(ImageFormat format) {
    for (const ImageFileType& type : BoardImageTypes)
        if (type.format == format)
            return QLatin1String(type.extension);
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
