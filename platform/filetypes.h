#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// How the program tells a file's type. The board save dialog goes by the last four characters of a name,
// upper-cased (".PNG"), and appends its extensions in upper case; the animations and lumidot-render go by
// the name's extension in any case.
namespace platform {

QString FileExtension(const QString& fileName);

enum class ImageFormat { Bmp, Jpeg, Png };

enum class AnimationFormat {
    Gif,     // animated GIF: exact up to 256 colours, a median-cut palette beyond
    WebP,    // animated WebP, lossless
    Apng,    // animated PNG
    Pbm,     // Netpbm P4, one image of cells per frame (1 = lit)
    CHeader, // a C header with the frames' cells as bits for LED panels
};

// Every kind of file the program writes, by extension. A new output format is one entry here, plus its
// writer or encoder.
struct OutputFileType {
    const char* extension;                    // lower case, without the dot
    std::optional<ImageFormat> still;         // the board as one picture
    std::optional<AnimationFormat> animation; // the scrolling sign
    bool alwaysAnimated = false;              // holds the scrolling sign only (.gif, .webp)
    bool boardDialog = false;                 // one of the board save dialog's own extensions, in its order
    bool alias = false;                       // another name for the entry before it: taken everywhere, listed nowhere
};
inline constexpr OutputFileType OutputFileTypes[] = {
    {"bmp", ImageFormat::Bmp, {}, false, true},
    {"jpg", ImageFormat::Jpeg, {}, false, true},
    {"jpeg", ImageFormat::Jpeg, {}, false, false, true},
    {"jpe", ImageFormat::Jpeg, {}, false, false, true},
    {"png", ImageFormat::Png, AnimationFormat::Apng, false, true},
    {"gif", {}, AnimationFormat::Gif, true},
    {"webp", {}, AnimationFormat::WebP, true},
    // Without an animation, the bit patterns of the first frame only: a still sign for a panel.
    {"pbm", {}, AnimationFormat::Pbm},
    {"h", {}, AnimationFormat::CHeader},
};

// The type an extension (without the dot, in any case) names, if any.
const OutputFileType* outputTypeNamed(const QString& extension);

// The board image format the board save dialog reads from a name, if any: ".BMP", ".JPG" or ".PNG" as
// its last four characters, in any case.
std::optional<ImageFormat> boardFormatNamed(const QString& fileName);
// The format a board is saved in: the name's, BMP for any other name.
ImageFormat saveFormatOf(const QString& fileName);
// The extension the board save dialog appends for a format (".BMP").
QString extensionOf(ImageFormat format);

// The animation format a name's extension asks for, in any case; the extension an animation of a format
// gets (".gif").
std::optional<AnimationFormat> animationFormatOf(const QString& fileName);
QString extensionOf(AnimationFormat format);

// Whether a name is one of the dot image types (BMP, ICO, JPEG, PNG; GIF only when allowed), and the
// same as lower-case patterns for a file dialog ("*.bmp;*.gif;…").
bool isDotImageName(const QString& fileName, bool allowGif);
QString dotImagePatterns(bool allowGif);

} // namespace platform
