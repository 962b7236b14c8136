#pragma once

#include "dotfont/bitmapfont.h"
#include "dotfont/lineface.h"

#include <QFont>
#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <tuple>
#include <vector>

namespace dotfont {

// A pixel outline font: outlines made of the square dots of a bitmap design of one height. Sampled at
// exactly that height (and only that), one sample in each dot (PixelOutlineStrike), it gives the
// design's pixels.
struct PixelOutlineFamily {
    QStringList names; // the family as Qt knows it first, then its other names
    int height = 0;    // design pixels from the top of the line to its bottom
    int ascent = 0;    // of which above the baseline
};

// The pixel outline families Debian ships, with their design heights. The fonts do not say that they are
// pixel fonts (nothing in their tables marks it), so they are known by name.
const std::vector<PixelOutlineFamily>& knownPixelOutlineFamilies();

// A dot face: bitmap font files grouped by design height (a face's half-width and full-width files
// together), or a pixel outline family. Glyphs are read on first use.
class DotFace {
public:
    // One bitmap file of the face: its path, and the font when already read.
    struct Source {
        QString path;
        std::shared_ptr<const BitmapFont> font;
    };
    struct Height {
        int ascent = 0;
        int descent = 0;
        std::vector<Source> sources; // the first that has a character draws it
    };

    DotFace(QStringList names, QString foundry, bool bold, bool italic, std::map<int, Height> heights);
    explicit DotFace(const PixelOutlineFamily& family);

    const QString& name() const { return m_names.front(); }
    const QStringList& names() const { return m_names; } // every name it answers to
    const QString& foundry() const { return m_foundry; }
    bool bold() const { return m_bold; }
    bool italic() const { return m_italic; }
    std::vector<int> heights() const; // ascending
    bool isPixelOutline() const { return m_pixelOutline.has_value(); }

    // The face at one of its heights. A pixel outline face is made bold or italic dot by dot when asked;
    // a bitmap face never is. A file that cannot be read any more leaves its characters out.
    std::shared_ptr<const Strike> strike(int height, bool bold = false, bool italic = false) const;

private:
    QStringList m_names;
    QString m_foundry;
    bool m_bold = false;
    bool m_italic = false;
    std::map<int, Height> m_heights;
    std::optional<PixelOutlineFamily> m_pixelOutline;

    mutable std::mutex m_loading;
    mutable std::map<int, std::shared_ptr<const Strike>> m_loaded; // bitmap strikes, by height
    // Pixel outline strikes by height, bold and italic: kept, so that a glyph is sampled once.
    mutable std::map<std::tuple<int, bool, bool>, std::shared_ptr<const Strike>> m_sampled;
};

// The dot faces that may draw what a face lacks, best first. Asked for only when a character the face
// lacks is looked for: finding them may mean reading the font folders.
using StandInFaces = std::function<std::vector<std::shared_ptr<const DotFace>>()>;

// The face a panel is drawn with: an outline face (any pixel size, Qt's fallback fonts for what it lacks)
// or a dot face (its design heights only, stand-in dot faces of the same height for what it lacks).
class Face {
public:
    // The main window's face with its italic and bold (its size is not used).
    static Face outline(const QFont& font);
    static Face dot(std::shared_ptr<const DotFace> face, StandInFaces standIns, bool bold = false, bool italic = false);

    bool isDot() const { return m_dot != nullptr; }
    QString name() const;
    // A dot face's design heights, ascending; empty for an outline face.
    std::vector<int> heights() const;
    // The face at a pixel size (an outline face, 1 or more) or at one of its heights (a dot face).
    std::optional<LineFace> atSize(int pixels) const;

private:
    QFont m_outline;
    std::shared_ptr<const DotFace> m_dot;
    StandInFaces m_standIns;
    bool m_bold = false;
    bool m_italic = false;
};

} // namespace dotfont
