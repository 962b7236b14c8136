#include "dotfont/face.h"

#include "dotfont/pixeloutlinestrike.h"

#include <QFontInfo>

#include <algorithm>

namespace dotfont {

const std::vector<PixelOutlineFamily>& knownPixelOutlineFamilies() {
    // Heights and ascents from each font's own metrics: the em is the design height (the line's
    // ascent + descent at that size is exactly it) and the glyphs' squares sit on its pixel grid.
    static const std::vector<PixelOutlineFamily> families = {
        {{QStringLiteral("MisakiGothic"), QStringLiteral("美咲ゴシック")}, 8, 6},
        {{QStringLiteral("MisakiGothic2nd"), QStringLiteral("美咲ゴシック第2")}, 8, 7},
        {{QStringLiteral("MisakiMincho"), QStringLiteral("美咲明朝")}, 8, 6},
        {{QStringLiteral("Unifont")}, 16, 14},
        {{QStringLiteral("Unifont-JP")}, 16, 14},
        {{QStringLiteral("Unifont Upper")}, 16, 14},
        {{QStringLiteral("Unifont CSUR")}, 16, 14},
        {{QStringLiteral("DotGothic16"), QStringLiteral("ドットゴシック16")}, 16, 14},
    };
    return families;
}

DotFace::DotFace(QStringList names, QString foundry, bool bold, bool italic, std::map<int, Height> heights)
    : m_names(std::move(names)), m_foundry(std::move(foundry)), m_bold(bold), m_italic(italic),
      m_heights(std::move(heights)) {}

DotFace::DotFace(const PixelOutlineFamily& family) : m_names(family.names), m_pixelOutline(family) {
    m_heights[family.height] = Height{family.ascent, family.height - family.ascent, {}};
}

std::vector<int> DotFace::heights() const {
    std::vector<int> list;
    for (const auto& entry : m_heights)
        list.push_back(entry.first);
    return list;
}

std::shared_ptr<const Strike> DotFace::strike(int height, bool bold, bool italic) const {
    const auto found = m_heights.find(height);
    if (found == m_heights.end())
        return nullptr;
    const Height& design = found->second;
    const std::lock_guard lock(m_loading);
    if (m_pixelOutline) {
        std::shared_ptr<const Strike>& sampled = m_sampled[{height, bold, italic}];
        if (!sampled)
            sampled = std::make_shared<const PixelOutlineStrike>(m_pixelOutline->names.front(), height, design.ascent,
                                                                 bold, italic);
        return sampled;
    }
    if (const auto loaded = m_loaded.find(height); loaded != m_loaded.end())
        return loaded->second;
    std::vector<std::shared_ptr<const BitmapFont>> fonts;
    for (const Source& source : design.sources) {
        if (source.font) {
            fonts.push_back(source.font);
            continue;
        }
        QString reason;
        if (auto font = readBitmapFontFile(source.path, ReadDepth::Glyphs, reason))
            fonts.push_back(std::make_shared<const BitmapFont>(std::move(*font)));
    }
    auto strike = std::make_shared<const BitmapStrike>(std::move(fonts), design.ascent, design.descent);
    m_loaded.emplace(height, strike);
    return strike;
}

namespace {

// A stand-in face at one height, read only when a character is first looked up in it: most lines need
// none of the faces that could stand in.
class StandInStrike : public Strike {
public:
    StandInStrike(std::shared_ptr<const DotFace> face, int height) : m_face(std::move(face)), m_height(height) {}

    int ascent() const override { return loaded()->ascent(); }
    int descent() const override { return loaded()->descent(); }
    bool has(char32_t codePoint) const override { return loaded()->has(codePoint); }
    int advance(const QString& run) const override { return loaded()->advance(run); }
    void draw(QImage& mask, int x, int baseline, const QString& run, QRgb color, const QRect& clip) const override {
        loaded()->draw(mask, x, baseline, run, color, clip);
    }

private:
    std::shared_ptr<const Strike> loaded() const {
        if (!m_strike)
            m_strike = m_face->strike(m_height);
        return m_strike;
    }

    std::shared_ptr<const DotFace> m_face;
    int m_height;
    mutable std::shared_ptr<const Strike> m_strike; // a line face is used by one thread at a time
};

} // namespace

Face Face::outline(const QFont& font) {
    Face face;
    face.m_outline = font;
    return face;
}

Face Face::dot(std::shared_ptr<const DotFace> dotFace, StandInFaces standIns, bool bold, bool italic) {
    Face face;
    face.m_dot = std::move(dotFace);
    face.m_standIns = std::move(standIns);
    face.m_bold = bold;
    face.m_italic = italic;
    return face;
}

QString Face::name() const {
    return m_dot ? m_dot->name() : QFontInfo(m_outline).family();
}

std::vector<int> Face::heights() const {
    return m_dot ? m_dot->heights() : std::vector<int>{};
}

std::optional<LineFace> Face::atSize(int pixels) const {
    if (!m_dot) {
        if (pixels < 1)
            return std::nullopt;
        return LineFace(QtStrike::outline(m_outline, pixels));
    }
    auto strike = m_dot->strike(pixels, m_bold, m_italic);
    if (!strike)
        return std::nullopt;
    return LineFace(std::move(strike), [faces = m_standIns, pixels] {
        std::vector<std::shared_ptr<const Strike>> standIns;
        for (const auto& standIn : faces ? faces() : std::vector<std::shared_ptr<const DotFace>>()) {
            const std::vector<int> heights = standIn->heights();
            if (std::find(heights.begin(), heights.end(), pixels) != heights.end())
                standIns.push_back(std::make_shared<const StandInStrike>(standIn, pixels));
        }
        return standIns;
    });
}

} // namespace dotfont
