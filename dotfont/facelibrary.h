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
class FaceLibrary {
public:
    // Where the system keeps fonts: /usr/share/fonts, /usr/local/share/fonts, and the user's
    // ~/.local/share/fonts and ~/.fonts.
    static QStringList systemFontFolders(const QString& homeFolder);

    // Reads every bitmap font file under the folders (their descriptions only: glyphs are read on first
    // use). Files that cannot be read are left out.
    static FaceLibrary discover(const QStringList& folders);

    const std::vector<std::shared_ptr<const DotFace>>& faces() const { return m_faces; }

    // One line a face: its name, a tab, its design heights ascending, separated by spaces
    // ("Unifont\t16", "Shinonome Gothic\t12 14 16").
    QStringList dotFaceList() const;

    // The dot face with this name (any of its names, in any case), or else the installed outline
    // family of that name; nothing when neither exists.
    std::optional<Face> find(const QString& name) const;

    // The main window's face with its italic and bold: a dot face when it is a pixel outline family.
    Face windowFace(const QFont& font) const;

    // A face read from a file: a BDF or PCF font (gzip-compressed or not) becomes a dot face of its one
    // height; a TrueType or OpenType font is added to the application's fonts and becomes an outline
    // face, or a dot face when it is a known pixel outline family. Gives nothing and a reason in
    // English when the file is not a font that can be read.
    std::optional<Face> loadFile(const QString& path, QString& reason) const;

private:
    Face dotFace(const std::shared_ptr<const DotFace>& face, bool bold = false, bool italic = false) const;

    std::vector<std::shared_ptr<const DotFace>> m_faces;
};

} // namespace dotfont
