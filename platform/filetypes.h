#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// How the program tells a file's type: by the last four characters of its name, upper-cased (".PNG").
// Extensions the program appends are upper case.
namespace platform {

QString FileExtension(const QString& fileName);

enum class ImageFormat { Bmp, Jpeg, Png };

// The board image formats, in the order the save dialog lists them.
struct ImageFileType {
    ImageFormat format;
    const char* extension; // as the program appends it
};
inline constexpr ImageFileType BoardImageTypes[] = {
    {ImageFormat::Bmp, ".BMP"},
    {ImageFormat::Jpeg, ".JPG"},
    {ImageFormat::Png, ".PNG"},
};

// The board image format a name asks for, if any.
std::optional<ImageFormat> boardFormatNamed(const QString& fileName);
// The format a board is saved in: the name's, BMP for any other name.
ImageFormat saveFormatOf(const QString& fileName);
QString extensionOf(ImageFormat format);

// Whether a name is one of the dot image types (BMP, ICO, JPEG, PNG; GIF only when allowed), and the
// same as lower-case patterns for a file dialog ("*.bmp;*.gif;…").
bool isDotImageName(const QString& fileName, bool allowGif);
QString dotImagePatterns(bool allowGif);

} // namespace platform
