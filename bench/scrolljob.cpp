#include "bench/scrolljob.h"

#include "ui/pictures.h"
#include <QFont>
#include <QPainter>

namespace bench {

namespace {
constexpr int Columns = 385;
constexpr int Rows = 17;
} // namespace

scroll::Sign scrollSign() {
    // The lettering: the message in a proportional Japanese Gothic, one cell per pixel, unsmoothed.
    QImage mask(Columns, Rows, QImage::Format_RGB32);
    mask.fill(Qt::white);
    {
        QPainter painter(&mask);
        QFont font(QStringLiteral("IPAPGothic"));
        font.setPixelSize(16);
        font.setStyleStrategy(QFont::NoAntialias);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(QRect(0, 0, Columns, Rows), Qt::AlignLeft | Qt::AlignVCenter,
                         QStringLiteral("ようこそ Lumidot へ。Welcome to the dot-matrix sign!"));
    }
    board::CellGrid cells{Columns, Rows, std::vector<uint8_t>(size_t(Columns) * Rows)};
    for (int r = 0; r < Rows; ++r) {
        for (int c = 0; c < Columns; ++c)
            cells.lit[size_t(r) * Columns + size_t(c)] = qGray(mask.pixel(c, r)) < 128 ? 1 : 0;
    }
    return {cells, ui::builtinLitDot(), ui::builtinUnlitDot()};
}

scroll::AnimationSettings scrollSettings() {
    scroll::AnimationSettings settings;
    settings.panelColumns = 64;
    settings.delayMs = 50;
    return settings;
}

} // namespace bench
