#pragma once

#include "dotfont/strike.h"

#include <QImage>
#include <QRect>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace dotfont {

// A line of text as a face at one size lays it out: runs of characters, each drawn by the face's own
// strike, by a stand-in strike of the same height, or left blank; and the characters that needed a
// stand-in or could not be drawn at all, each once, in the order they first appear.
struct LineLayout {
    struct Run {
        const Strike* strike = nullptr; // nullptr: a blank where a character could not be drawn
        QString text;
        int x = 0; // from the line's start
        int width = 0;
    };
    std::vector<Run> runs;
    int width = 0;
    QString missing;  // drawn by nothing (left blank, or drawn Qt's own way by an outline face)
    QString standIns; // drawn by a stand-in face
};

// What the fitted panel draws every line with, whatever the face: a face at one pixel size (an outline
// face) or one design height (a dot face), with the stand-ins that draw what it lacks.
class LineFace {
public:
    // The strikes that may draw what the face lacks, best first; asked for only when a character the
    // face lacks is laid out.
    using StandIns = std::function<std::vector<std::shared_ptr<const Strike>>()>;

    explicit LineFace(std::shared_ptr<const Strike> face, StandIns standIns = {});

    int ascent() const { return m_face->ascent(); }
    int descent() const { return m_face->descent(); }
    int lineHeight() const { return m_face->lineHeight(); }

    LineLayout layout(const QString& text) const;
    int advance(const QString& text) const { return layout(text).width; }
    QString missingCharacters(const QString& text) const { return layout(text).missing; }

    // Draws the text with its pen starting at x on the baseline, in color, nowhere outside clip.
    void draw(QImage& mask, int x, int baseline, const LineLayout& line, QRgb color, const QRect& clip) const;
    void draw(QImage& mask, int x, int baseline, const QString& text, QRgb color, const QRect& clip) const {
        draw(mask, x, baseline, layout(text), color, clip);
    }
    // Lights what draw() lights, each character in its own colour: colours[i] for the line's i-th UTF-16 unit.
    // Where two characters' pixels meet, the earlier one's colour stays.
    void drawColoured(QImage& image, int x, int baseline, const LineLayout& line, std::span<const QRgb> colours,
                      const QRect& clip) const;

private:
    const std::vector<std::shared_ptr<const Strike>>& standIns() const;

    std::shared_ptr<const Strike> m_face;
    StandIns m_findStandIns;
    // Found on first need. A line face is used by one thread at a time.
    mutable std::optional<std::vector<std::shared_ptr<const Strike>>> m_standIns;
};

} // namespace dotfont
