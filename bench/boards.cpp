#include "bench/boards.h"

#include "board/fontface.h"
#include "dots/LoadDotImage.h"
#include "ui/pictures.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

namespace bench {

QString messageOfWidth(board::BoardState& state, int columns) {
    const QString letters = QStringLiteral("MWmwabcdefghijkl.,' ");
    QString message;
    for (bool grown = true; grown;) {
        grown = false;
        for (const QChar letter : letters) {
            state.SizeMongon.setCaption(message + letter);
            if (state.SizeMongon.Width() <= columns) {
                message += letter;
                grown = true;
                break;
            }
        }
    }
    state.SizeMongon.setCaption(message);
    return message;
}

std::unique_ptr<board::BoardState> benchState() {
    // The window's laid-out mask and board sizes.
    auto state =
        std::make_unique<board::BoardState>(ui::builtinLitDot(), ui::builtinUnlitDot(), QSize(305, 89), QSize(343, 98));
    board::applyFont(*state, QStringLiteral("DejaVu Sans"), QStringLiteral("10"), false, false);
    return state;
}

QImage squareDot(int size, QRgb color) {
    QImage dot(size, size, QImage::Format_RGB32);
    dot.fill(color);
    return dot;
}

platform::Surface jobBoard() {
    const QString data = QStringLiteral(LUMIDOT_BENCH_DATA);
    QFile message(data + QStringLiteral("/message.txt"));
    QTemporaryDir folder;
    const QString bmp = folder.filePath(QStringLiteral("job.bmp"));
    platform::Surface board;
    if (!message.open(QIODevice::ReadOnly))
        return board;
    QProcess render;
    render.start(QStringLiteral(LUMIDOT_RENDER),
                 {QStringLiteral("--font"), QStringLiteral("IPAPGothic"), QStringLiteral("--size"),
                  QStringLiteral("12"), QStringLiteral("--lit"), data + QStringLiteral("/lit.png"),
                  QStringLiteral("--unlit"), data + QStringLiteral("/unlit.png"), QString::fromUtf8(message.readAll()),
                  bmp});
    if (render.waitForFinished(60000) && render.exitCode() == 0)
        board.setPicture(QImage(bmp));
    return board;
}

std::unique_ptr<board::BoardState> jobState() {
    const QString data = QStringLiteral(LUMIDOT_BENCH_DATA);
    QFile message(data + QStringLiteral("/message.txt"));
    if (!message.open(QIODevice::ReadOnly))
        return nullptr;
    board::registerJapaneseFaceSubstitutions();
    auto state = std::make_unique<board::BoardState>(ui::builtinLitDot(), ui::builtinUnlitDot(), QSize(), QSize());
    dots::LoadDotImage(*state, data + QStringLiteral("/lit.png"), 0);
    dots::LoadDotImage(*state, data + QStringLiteral("/unlit.png"), 1);
    board::applyFont(*state, QStringLiteral("IPAPGothic"), QStringLiteral("12"), false, false);
    const QString text = QString::fromUtf8(message.readAll());
    board::DrawBoard(*state, text);
    board::DrawBoard(*state, text); // the first render is cut by the laid-out mask
    return state;
}

std::unique_ptr<board::BoardState> widestBoard() {
    auto state = benchState();
    const QString message = messageOfWidth(*state, WidestColumns);
    if (state->SizeMongon.Width() != WidestColumns)
        return nullptr;
    board::DrawBoard(*state, message);
    board::DrawBoard(*state, message); // the first render is cut by the laid-out mask
    return state;
}

} // namespace bench
