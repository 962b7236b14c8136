#include "dotfont/lineface.h"

#include <unordered_map>

namespace dotfont {

LineFace::LineFace(std::shared_ptr<const Strike> face, StandIns standIns)
    : m_face(std::move(face)), m_findStandIns(std::move(standIns)) {}

const std::vector<std::shared_ptr<const Strike>>& LineFace::standIns() const {
    if (!m_standIns)
        m_standIns = m_findStandIns ? m_findStandIns() : std::vector<std::shared_ptr<const Strike>>();
    return *m_standIns;
}

LineLayout LineFace::layout(const QString& text) const {
    LineLayout line;
    // A character that nothing draws leaves a blank half as wide as the line is high (a half-width cell).
    const int blankWidth = lineHeight() / 2;
    std::unordered_map<char32_t, const Strike*> chosen; // nullptr: a blank
    const auto strikeFor = [&](char32_t codePoint) -> const Strike* {
        if (const auto known = chosen.find(codePoint); known != chosen.end())
            return known->second;
        const Strike* strike = nullptr;
        if (isControl(codePoint) || m_face->has(codePoint)) {
            strike = m_face.get();
        } else {
            for (const auto& standIn : standIns())
                if (standIn->has(codePoint)) {
                    strike = standIn.get();
                    break;
                }
            if (!strike && m_face->drawsWhatItLacks())
                strike = m_face.get();
            QString& list = strike && strike != m_face.get() ? line.standIns : line.missing;
            list += QString::fromUcs4(&codePoint, 1);
        }
        chosen.emplace(codePoint, strike);
        return strike;
    };

    for (const char32_t codePoint : text.toUcs4()) {
        const Strike* strike = strikeFor(codePoint);
        const QString character = QString::fromUcs4(&codePoint, 1);
        if (strike && !line.runs.empty() && line.runs.back().strike == strike)
            line.runs.back().text += character;
        else
            line.runs.push_back({strike, character, 0, 0});
    }
    for (LineLayout::Run& run : line.runs) {
        run.x = line.width;
        run.width = run.strike ? run.strike->advance(run.text) : blankWidth;
        line.width += run.width;
    }
    return line;
}

void LineFace::draw(QImage& mask, int x, int baseline, const LineLayout& line, QRgb color, const QRect& clip) const {
    for (const LineLayout::Run& run : line.runs)
        if (run.strike)
            run.strike->draw(mask, x + run.x, baseline, run.text, color, clip);
}

void LineFace::drawColoured(QImage& image, int x, int baseline, const LineLayout& line, std::span<const QRgb> colours,
                            const QRect& clip) const {
    // The runs' characters follow one another in the line; the last run first, as each strike colours its own.
    size_t end = colours.size();
    for (auto run = line.runs.rbegin(); run != line.runs.rend(); ++run) {
        const size_t start = end - size_t(run->text.size());
        if (run->strike)
            run->strike->drawColoured(image, x + run->x, baseline, run->text, colours.subspan(start, end - start),
                                      clip);
        end = start;
    }
}

} // namespace dotfont
