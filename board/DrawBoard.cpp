#include "board/DrawBoard.h"

#include "board/cellrows.h"
#include "platform/numbers.h"

#include <QGuiApplication>
#include <QPalette>

#include <algorithm>
#include <array>
#include <optional>

namespace board {

using platform::Surface;

namespace {

// The system window and window-text colours: the mask is printed in them, so the board follows the
// colour scheme (only exactly black mask pixels are lit).
QRgb windowColor() {
    return QGuiApplication::palette().color(QPalette::Base).rgb();
}
QRgb windowTextColor() {
    return QGuiApplication::palette().color(QPalette::Text).rgb();
}

Surface pictureSurface(const QImage& picture) {
    Surface surface(0, 0, windowColor());
    surface.setForeColor(windowTextColor());
    surface.setPicture(picture);
    return surface;
}

// The picture of one cell as the board shows it: the dot from its top-left corner, white where the dot
// does not reach (the board is cleared white before the cells are copied).
QImage cellPicture(const Surface& dot, int16_t width, int16_t height) {
    Surface cell(width, height, qRgb(255, 255, 255));
    BitBlt(cell, 0, 0, width, height, dot, 0, 0);
    return cell.image();
}

// The colour number of each cell, and the further colours that light a cell, in their new numbers' order.
struct NumberedCells {
    std::vector<uint8_t> numbers; // columns × rows, row by row
    QList<QRgb> colours;
};

// The colour number nearest to column x in row y of the map (0: the row has none), for a lit mask pixel that no
// character's colour reached.
class NearestInRow {
public:
    NearestInRow(const ColourMap& map, int32_t columns) : m_map(map), m_columns(columns) {}

    uint8_t at(int32_t x, int32_t y) {
        if (y != m_row) {
            // Each column's nearest coloured column on either side, found once a row.
            m_row = y;
            m_left.assign(size_t(m_columns), -1);
            m_right.assign(size_t(m_columns), -1);
            for (int32_t c = 0, last = -1; c < m_columns; ++c)
                m_left[size_t(c)] = last = colourAt(c, y) != 0 ? c : last;
            for (int32_t c = m_columns - 1, next = -1; c >= 0; --c)
                m_right[size_t(c)] = next = colourAt(c, y) != 0 ? c : next;
        }
        const int32_t left = m_left[size_t(x)];
        const int32_t right = m_right[size_t(x)];
        if (left < 0 && right < 0)
            return 0;
        const bool takeLeft = left >= 0 && (right < 0 || x - left <= right - x);
        return colourAt(takeLeft ? left : right, y);
    }

private:
    uint8_t colourAt(int32_t x, int32_t y) const { return m_map.at(x, y); }

    const ColourMap& m_map;
    int32_t m_columns;
    int32_t m_row = -1;
    std::vector<int32_t> m_left;
    std::vector<int32_t> m_right;
};

// Every cell's colour number from one reading of the mask: 0 where its pixel is unlit, else 1, or with a map the
// colour it gives, renumbered so that the further colours that light no cell take no number.
NumberedCells numberCells(const Surface& mask, int32_t columns, int32_t rows, const ColourMap* map,
                          const QList<QRgb>& colours) {
    NumberedCells result;
    result.numbers.resize(size_t(columns) * size_t(rows));
    std::optional<NearestInRow> nearest;
    std::array<bool, MaxCellColour + 1> shown{};
    uint8_t* number = result.numbers.data();
    for (int32_t y = 0; y < rows; ++y) {
        for (int32_t x = 0; x < columns; ++x, ++number) {
            if (mask.Point(x, y) != 0)
                continue;
            if (!map) {
                *number = 1;
                continue;
            }
            uint8_t colour = map->at(x, y);
            if (colour == 0)
                colour = (nearest ? *nearest : nearest.emplace(*map, columns)).at(x, y);
            // A number beyond the further colours (none should be) shows the sign's own colour.
            if (colour == 0 || colour - 2 >= colours.size())
                colour = 1;
            *number = colour;
            shown[colour] = true;
        }
    }
    // Further colours that light no cell take no number: the sign holds the colours it shows.
    std::array<uint8_t, MaxCellColour + 1> renumbered{0, 1};
    bool unchanged = true;
    for (int colour = 2; colour <= MaxCellColour; ++colour) {
        if (shown[size_t(colour)]) {
            result.colours.append(colours[colour - 2]);
            renumbered[size_t(colour)] = uint8_t(result.colours.size() + 1);
            unchanged = unchanged && renumbered[size_t(colour)] == colour;
        }
    }
    if (!unchanged)
        for (uint8_t& colour : result.numbers)
            colour = renumbered[colour];
    return result;
}

} // namespace

BoardState::BoardState(const QImage& litDot, const QImage& unlitDot, QSize maskSize, QSize boardSize)
    : TempPic(maskSize.width(), maskSize.height(), windowColor()), Dot{pictureSurface(litDot),
                                                                       pictureSurface(unlitDot)},
      Board(boardSize.width(), boardSize.height(), windowColor()) {
    TempPic.setForeColor(windowTextColor());
    Board.setForeColor(windowTextColor());
}

void DrawBoard(BoardState& state, const QString& message, const std::function<void()>& refresh) {
    const QSize measured = printAndMeasure(state, message).measured;
    drawCells(state, measured.width(), measured.height(), refresh);
}

void DrawBoard(BoardState& state, const MarkedText& message, const LitDotIn& litDotIn,
               const std::function<void()>& refresh) {
    if (message.colours.isEmpty()) {
        DrawBoard(state, message.text, refresh);
        return;
    }
    const PrintedMessage printed = printAndMeasure(state, message.text);
    const std::function<ColourMap()> printMap = [&] {
        return ColourMap::ofLine(message, state.TempPic.font(), printed.measured, printed.reached);
    };
    const CellColouring colouring{printMap, message.colours, litDotIn};
    drawCells(state, printed.measured.width(), printed.measured.height(), refresh, &colouring);
}

PrintedMessage printAndMeasure(BoardState& state, const QString& message) {
    using namespace platform;

    state.TempPic.Cls();
    const QSize reached = state.TempPic.Print(message);

    state.SizeMongon.setCaption(message);
    return {QSize(toInt32(state.SizeMongon.Width()), toInt32(state.SizeMongon.Height())), reached};
}

void drawCells(BoardState& state, int32_t columns, int32_t rows, const std::function<void()>& refresh,
               const CellColouring* colouring) {
    using namespace platform;

    const int16_t cellWidth = toInt16(state.Dot[0].ScaleWidth());
    const int16_t cellHeight = toInt16(state.Dot[0].ScaleHeight());

    // The board's outer size, with its one-pixel frame, must fit in 32 bits too.
    constexpr int32_t frame = 2;
    const int32_t boardWidth = add32(mul32(cellWidth, columns), frame) - frame;
    const int32_t boardHeight = add32(mul32(cellHeight, rows), frame) - frame;
    state.Board.resize(boardWidth, boardHeight);
    // Only a board that takes the new cells gets their size: a refused board keeps the cells it shows.
    state.CellWidth = cellWidth;
    state.CellHeight = cellHeight;

    const Surface& lit = state.Dot[0];
    const Surface& unlit = state.Dot[1];
    state.CellPictures = {cellPicture(lit, state.CellWidth, state.CellHeight),
                          cellPicture(unlit, state.CellWidth, state.CellHeight)};
    state.ColourCellPictures.clear();
    state.Cells = CellGrid{columns, rows, std::vector<uint8_t>(size_t(columns) * size_t(rows))};
    // Bounds and origins are 16-bit: a cell origin beyond 32767 stops the render with an overflow.
    const int16_t lastColumn = toInt16(columns - 1);
    const int16_t lastRow = lastColumn >= 0 ? toInt16(rows - 1) : int16_t(-1);
    // The cells' colours from the mask, and the further colours' dots, once a cell is to be drawn.
    NumberedCells numbered;
    std::vector<Surface> colourDots;
    if (lastColumn >= 0 && lastRow >= 0) {
        std::optional<ColourMap> map;
        if (colouring)
            map = colouring->printMap();
        numbered = numberCells(state.TempPic, columns, rows, map ? &*map : nullptr,
                               colouring ? colouring->colours : QList<QRgb>());
        for (const QRgb colour : numbered.colours) {
            colourDots.push_back(pictureSurface(colouring->litDotIn(colour)));
            state.ColourCellPictures.push_back(cellPicture(colourDots.back(), state.CellWidth, state.CellHeight));
        }
    }
    const bool originsFit =
        lastColumn < 0 || lastRow < 0 ||
        (int32_t(cellWidth) * lastColumn <= INT16_MAX && int32_t(cellHeight) * lastRow <= INT16_MAX);
    if (originsFit) {
        // Every cell first, then the board row by row, each cell's line of its picture copied whole.
        state.Cells.lit = std::move(numbered.numbers);
        if (state.BoardPaint == BoardState::Paint::Pixels) {
            QImage& image = state.Board.repaint(qRgb(255, 255, 255));
            const CellRows cellRows(state);
            for (int32_t y = 0; y < cellRows.height(); ++y)
                cellRows.fill(y, reinterpret_cast<QRgb*>(image.scanLine(y)));
        }
    } else {
        // Cell by cell, column by column, up to the first origin that overflows: the cells before it stay drawn.
        state.Board.Cls();
        state.Board.setBackColor(qRgb(255, 255, 255));
        for (int x = 0; x <= lastColumn; ++x) {
            for (int y = 0; y <= lastRow; ++y) {
                const size_t cell = size_t(y) * size_t(columns) + size_t(x);
                const uint8_t colour = numbered.numbers[cell];
                state.Cells.lit[cell] = colour;
                const Surface& source = colour == 0 ? unlit : colour == 1 ? lit : colourDots[colour - 2];
                const int16_t cellTop = mul16(state.CellHeight, int16_t(y));
                const int16_t cellLeft = mul16(state.CellWidth, int16_t(x));
                BitBlt(state.Board, cellLeft, cellTop, state.CellWidth, state.CellHeight, source, 0, 0);
            }
        }
    }

    if (refresh)
        refresh();

    state.TempPic.resize(boardWidth, boardHeight);
}

} // namespace board
