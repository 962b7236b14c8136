#include "board/panelmask.h"

#include "platform/errors.h"
#include "platform/numbers.h"

#include <QRegularExpression>

#include <algorithm>
#include <map>
#include <memory>
#include <span>

namespace board {

namespace {

// The face at the size it takes in a band of the given height.
struct FittedFace {
    std::optional<dotfont::LineFace> face;
    bool fits = true;
};

// The largest design height whose line fits; a band smaller than every height gets the smallest, cut.
FittedFace fitDotFace(const dotfont::Face& face, int bandHeight) {
    const std::vector<int> heights = face.heights();
    if (heights.empty())
        return {std::nullopt, false};
    const auto fitting = std::upper_bound(heights.begin(), heights.end(), bandHeight);
    if (fitting == heights.begin())
        return {face.atSize(heights.front()), false};
    return {face.atSize(*std::prev(fitting)), true};
}

// The largest pixel size whose line (ascent + descent, the same for every text) fits. Lines grow with the
// size but hinting rounds them, so the search starts a little above the proportional estimate and walks
// down to the first size that fits.
FittedFace fitOutlineFace(const dotfont::Face& face, int bandHeight) {
    constexpr int ReferencePixels = 100;
    const int referenceLine = std::max(1, face.atSize(ReferencePixels)->lineHeight());
    const int start = std::max(1, (bandHeight + 2) * ReferencePixels / referenceLine + 2);
    for (int pixels = start; pixels >= 1; --pixels) {
        auto sized = face.atSize(pixels);
        if (sized->lineHeight() <= bandHeight)
            return {std::move(sized), true};
    }
    return {face.atSize(1), false};
}

// One line of the message, and where it starts in the message.
struct Line {
    QString text;
    qsizetype start = 0;
};

// The message's lines: with one band the whole message (its line breaks draw nothing); with more, split
// at CR LF, CR or LF.
std::vector<Line> linesOf(const QString& message, int bands) {
    if (bands == 1)
        return {{message, 0}};
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    std::vector<Line> lines;
    qsizetype start = 0;
    for (QRegularExpressionMatchIterator breaks = lineBreak.globalMatch(message); breaks.hasNext();) {
        const QRegularExpressionMatch found = breaks.next();
        lines.push_back({message.mid(start, found.capturedStart() - start), start});
        start = found.capturedEnd();
    }
    lines.push_back({message.mid(start), start});
    return lines;
}

// The lines as the mask draws them: each band's face, layout and place. A colour map drawn later draws them
// again.
struct DrawnLines {
    struct Band {
        int top = 0;
        int height = 0;
        const dotfont::LineFace* face = nullptr; // one of `fitted`'s
        dotfont::LineLayout layout;
        qsizetype start = 0; // in the message
        qsizetype length = 0;
        int x = 0; // the pen's start, and the baseline
        int baseline = 0;
    };
    std::map<int, FittedFace> fitted; // by band height: at most two
    std::vector<Band> bands;
    int32_t columns = 0;
    int rows = 0;

    QRect clipOf(const Band& band) const { return QRect(0, band.top, columns, band.height); }
};

void addOnce(QString& list, const QString& characters) {
    for (const char32_t codePoint : characters.toUcs4()) {
        const QString character = QString::fromUcs4(&codePoint, 1);
        if (!list.contains(character))
            list += character;
    }
}

} // namespace

std::optional<dotfont::Face> panelFace(const Panel& panel, const QFont& windowFont,
                                       const dotfont::FaceLibrary& library) {
    if (panel.font.trimmed().isEmpty())
        return library.windowFace(windowFont);
    return library.find(panel.font);
}

PanelMask printPanelMask(BoardState& state, const MarkedText& message, const Panel& panel, const dotfont::Face& face) {
    using platform::raiseError;
    if (panel.rows < 1 || panel.rows > MaxPanelRows || panel.lines < 1 || panel.lines > MaxPanelLines)
        raiseError(platform::ErrOverflow);

    PanelMask result;
    std::vector<Line> lines = linesOf(message.text, panel.lines);
    if (int(lines.size()) > panel.lines) {
        result.report.droppedLines = int(lines.size()) - panel.lines;
        lines.resize(size_t(panel.lines));
    }

    const int bandHeight = panel.rows / panel.lines;
    const int lastBandHeight = panel.rows - bandHeight * (panel.lines - 1);
    const auto drawn = std::make_shared<DrawnLines>();
    std::map<int, FittedFace>& fitted = drawn->fitted;
    std::vector<DrawnLines::Band>& bands = drawn->bands;
    int64_t columns = 0;
    for (int i = 0; i < int(lines.size()); ++i) {
        DrawnLines::Band band;
        band.top = i * bandHeight;
        band.height = i == panel.lines - 1 ? lastBandHeight : bandHeight;
        band.start = lines[size_t(i)].start;
        band.length = lines[size_t(i)].text.size();
        if (band.length == 0)
            continue;
        if (band.height == 0) { // fewer rows than lines: a band without rows shows nothing of its line
            ++result.report.linesCut;
            continue;
        }
        auto place = fitted.find(band.height);
        if (place == fitted.end())
            place = fitted
                        .emplace(band.height,
                                 face.isDot() ? fitDotFace(face, band.height) : fitOutlineFace(face, band.height))
                        .first;
        if (!place->second.face)
            continue;
        band.face = &*place->second.face;
        band.layout = band.face->layout(lines[size_t(i)].text);
        result.report.linesCut += place->second.fits ? 0 : 1;
        addOnce(result.report.missingCharacters, band.layout.missing);
        addOnce(result.report.standInCharacters, band.layout.standIns);
        columns = std::max<int64_t>(columns, band.layout.width);
        bands.push_back(std::move(band));
    }

    if (!platform::surfaceSizeAllowed(columns, panel.rows))
        raiseError(platform::ErrOutOfMemory);
    result.columns = platform::toInt32(double(columns));
    drawn->columns = result.columns;
    drawn->rows = panel.rows;
    platform::Surface& mask = state.TempPic;
    mask.resize(result.columns, panel.rows);
    mask.Cls();
    if (result.columns == 0)
        return result;
    QImage& image = mask.image();
    for (DrawnLines::Band& band : bands) {
        const int width = band.layout.width;
        band.x = panel.align == PanelAlign::Left     ? 0
                 : panel.align == PanelAlign::Center ? (result.columns - width) / 2
                                                     : result.columns - width;
        band.baseline = band.top + (band.height - band.face->lineHeight()) / 2 + band.face->ascent();
        band.face->draw(image, band.x, band.baseline, band.layout, mask.foreColor(), drawn->clipOf(band));
    }
    // The lines again, each character in its colour number.
    result.printColourMap = [drawn, colours = mapColours(message)] {
        platform::Surface map(drawn->columns, drawn->rows, qRgb(0, 0, 0));
        for (const DrawnLines::Band& band : drawn->bands)
            band.face->drawColoured(map.image(), band.x, band.baseline, band.layout,
                                    std::span<const QRgb>(colours).subspan(size_t(band.start), size_t(band.length)),
                                    drawn->clipOf(band));
        return ColourMap(map);
    };
    return result;
}

PanelReport DrawPanelBoard(BoardState& state, const QString& message, const Panel& panel, const dotfont::Face& face,
                           const std::function<void()>& refresh) {
    return DrawPanelBoard(state, inOwnColour(message), panel, face, {}, refresh);
}

PanelReport DrawPanelBoard(BoardState& state, const MarkedText& message, const Panel& panel, const dotfont::Face& face,
                           const LitDotIn& litDotIn, const std::function<void()>& refresh) {
    if (panel.rows == 0) {
        DrawBoard(state, message, litDotIn, refresh);
        return {};
    }
    const PanelMask mask = printPanelMask(state, message, panel, face);
    const CellColouring colouring{mask.printColourMap, message.colours, litDotIn};
    drawCells(state, mask.columns, panel.rows, refresh, message.colours.isEmpty() ? nullptr : &colouring);
    return mask.report;
}

} // namespace board
