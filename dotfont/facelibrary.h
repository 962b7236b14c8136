#pragma once

#include "dotfont/face.h"

#include <QFont>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

namespace dotfont {

// The dot faces of a system: the bitmap fonts (PCF, BDF, compressed or not) in its font folders, found
// by reading the files themselves (the system's font configuration may hide them), grouped into faces
// by foundry, family, weight and slant, with the design heights each has; and the pixel outline
// families that Qt knows. Faces are in a stable order, by name.
//
// The folders are read when a request first needs them, and then once for the library and all its
// copies: a pixel outline family found by name, the window's face and a face read from a file need no
// look at them until a character the face lacks is looked for among the other faces.
class FaceLibrary {
public:
    // Where the system keeps fonts: /usr/share/fonts, /usr/local/share/fonts, and the user's
    // ~/.local/share/fonts and ~/.fonts.
    static QStringList systemFontFolders(const QString& homeFolder);

    // The faces in every bitmap font file under the folders (read for their descriptions only: glyphs
    // are read on first use; files that cannot be read are left out) and the installed pixel outline
    // families.
    static FaceLibrary discover(const QStringList& folders);
    FaceLibrary(); // no folders: the pixel outline families alone

    const std::vector<std::shared_ptr<const DotFace>>& faces() const;

    // One line a face: its name, a tab, its design heights ascending, separated by spaces
    // ("Unifont\t16", "Shinonome Gothic\t12 14 16").
    QStringList dotFaceList() const;

    // The dot face with this name (any of its names, in any case; a pixel outline family before a bitmap
    // face of the same name), or else the installed outline family of that name; nothing when neither
    // exists.
    std::optional<Face> find(const QString& name) const;

    // The main window's face with its italic and bold: a dot face when it is a pixel outline family.
    Face windowFace(const QFont& font) const;

    // A face read from a file: a BDF or PCF font (gzip-compressed or not) becomes a dot face of its one
    // height; a TrueType or OpenType font is added to the application's fonts and becomes an outline
    // face, or a dot face when it is a known pixel outline family. Gives nothing and a reason in
    // English when the file is not a font that can be read.
    std::optional<Face> loadFile(const QString& path, QString& reason) const;

private:
    class Catalog;
    explicit FaceLibrary(std::shared_ptr<Catalog> catalog);

    Face dotFace(const std::shared_ptr<const DotFace>& face, bool bold = false, bool italic = false) const;

    std::shared_ptr<Catalog> m_catalog; // shared with the faces it gives, for their stand-ins
};

} // namespace dotfont
