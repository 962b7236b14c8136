// Where lumidot-render's time goes, phase by phase, for the comparison job: the same steps as the batch
// tool in one process, timed apart. bench/compare.py subtracts their sum from the whole process's time
// to get the start-up. Usage: lumidot_renderphases MESSAGE_FILE LIT UNLIT OUTPUT PNG_SETTING

#include "board/DrawBoard.h"
#include "board/cellrows.h"
#include "board/fontface.h"
#include "dots/LoadDotImage.h"
#include "output/writeboard.h"
#include "ui/pictures.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdio>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const QStringList arguments = QGuiApplication::arguments();
    if (arguments.size() != 6) {
        std::fprintf(stderr, "usage: lumidot_renderphases MESSAGE_FILE LIT UNLIT OUTPUT PNG_SETTING\n");
        return 2;
    }
    QFile messageFile(arguments[1]);
    if (!messageFile.open(QIODevice::ReadOnly))
        return 1;
    const QString message = QString::fromUtf8(messageFile.readAll());
    // What any Qt program that draws text pays first, as bench/startupfloor.cpp does: the font database's
    // set-up and a first letter. It is start-up, not one of the steps timed here.
    {
        QImage letter(16, 16, QImage::Format_RGB32);
        QPainter painter(&letter);
        painter.setFont(QFont(QStringLiteral("IPAPGothic"), 9));
        painter.drawText(0, 12, QStringLiteral("x"));
    }
    QElapsedTimer clock;
    clock.start();

    board::registerJapaneseFaceSubstitutions();
    board::BoardState state(ui::builtinLitDot(), ui::builtinUnlitDot(), QSize(), QSize());
    state.BoardPaint = board::BoardState::Paint::CellsOnly; // as lumidot-render renders
    dots::LoadDotImage(state, arguments[2], 0);
    dots::LoadDotImage(state, arguments[3], 1);
    board::applyFont(state, QStringLiteral("IPAPGothic"), QStringLiteral("12"), false, false);
    state.SizeMongon.setCaption(message);
    state.TempPic.resize(state.SizeMongon.Width(), state.SizeMongon.Height());
    state.TempPic.Cls();
    state.TempPic.Print(message);
    const qint64 fontAndMask = clock.nsecsElapsed();

    board::DrawBoard(state, message); // prints the mask again: a small part of its time; the cells only
    const qint64 board = clock.nsecsElapsed();

    const output::SaveOptions options{50, false, int16_t(arguments[5].toInt())};
    board::CellRows rows(state);
    const platform::Result written =
        output::writeBoard(rows, arguments[4], platform::saveFormatOf(arguments[4]), options);
    const qint64 encodeAndWrite = clock.nsecsElapsed();
    if (!written.ok())
        return 1;
    std::printf("%.3f %.3f %.3f\n", fontAndMask / 1e6, (board - fontAndMask) / 1e6, (encodeAndWrite - board) / 1e6);
    return 0;
}
