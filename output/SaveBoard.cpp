#include "output/SaveBoard.h"

#include "app/basCommon.h"
#include "app/basFunc.h"
#include "codec/TransG32.h"
#include "dialogs/clsDialog.h"
#include "platform/errors.h"
#include "platform/failuretexts.h"
#include "platform/messagebox.h"
#include "platform/numbers.h"

#include <QDir>

namespace output {

namespace {

const QString Bmp = QStringLiteral(".BMP");
const QString Jpg = QStringLiteral(".JPG");
const QString Png = QStringLiteral(".PNG");

// Only blanks count: a tab or other white space in a name is the user's.
QString trimBlanks(const QString& text) {
    qsizetype first = 0, last = text.size();
    while (first < last && text[first] == QLatin1Char(' '))
        ++first;
    while (last > first && text[last - 1] == QLatin1Char(' '))
        --last;
    return text.mid(first, last - first);
}

void tellFailure(const QString& reason) {
    platform::MsgBox(QStringLiteral("ファイルを保存できませんでした。\r\n") + reason, platform::MsgExclamation,
                     QStringLiteral("Lumidot"));
}

} // namespace

QString saveFilterPattern() {
    const QChar nul(0);
    return QStringLiteral("画像ファイル") + nul + QStringLiteral("*.bmp;*.jpg;*.png") + nul +
           QStringLiteral("ビットマップファイル") + nul + QStringLiteral("*.bmp") + nul +
           QStringLiteral("ＪＰＥＧファイル") + nul + QStringLiteral("*.jpg") + nul + QStringLiteral("ＰＮＧファイル") +
           nul + QStringLiteral("*.png") + nul;
}

QString settleFileName(const QString& name, int32_t filterIndex) {
    const QString ext = app::FileExtension(name);
    switch (filterIndex) {
    case 2:
        return ext == Bmp ? name : name + Bmp;
    case 3:
        return ext == Jpg ? name : name + Jpg;
    case 4:
        return ext == Png ? name : name + Png;
    default:
        return ext == Bmp || ext == Jpg || ext == Png ? name : name + Bmp;
    }
}

ImageFormat formatOf(const QString& fileName) {
    const QString ext = app::FileExtension(fileName);
    return ext == Jpg ? ImageFormat::Jpeg : ext == Png ? ImageFormat::Png : ImageFormat::Bmp;
}

QString writeBoard(const board::BoardState& state, const QString& fileName, ImageFormat format) {
    using app::Settings;
    const platform::Surface& board = state.Board;
    platform::Result result;
    try {
        const int32_t width = platform::toInt32(board.ScaleWidth());
        const int32_t height = platform::toInt32(board.ScaleHeight());
        switch (format) {
        case ImageFormat::Jpeg:
            result = codec::DCSavetoJPEG(board, width, height, fileName, platform::toByte(Settings.JpegRate),
                                         Settings.JpegPrgrs != 0 ? -1 : 0);
            break;
        case ImageFormat::Png:
            result = codec::DCSavetoPNG(board, width, height, fileName, platform::toByte(Settings.PngRate));
            break;
        case ImageFormat::Bmp:
            result = codec::SavePicture(board, fileName);
            break;
        }
    } catch (const platform::RuntimeError& error) {
        // A hand-edited setting that does not fit the codec's byte.
        result =
            platform::Result::failed(platform::Failure::OptionOutOfRange, fileName, platform::errorReportText(error));
    }
    return platform::failureText(result, platform::Language::Japanese);
}

void SaveBoard(const board::BoardState& state, QObject* owner, QString statusBefore,
               const std::function<void(const QString&)>& showStatus) {
    dialogs::clsDialog dialog;
    dialog.SelectTitle = QStringLiteral("ファイルの保存");
    dialog.FilterPattern = saveFilterPattern();
    dialog.SelectFlags = QStringLiteral("8196");
    const QString chosen = trimBlanks(dialog.SaveFile(owner));
    if (chosen.isEmpty())
        return;

    const QString name = settleFileName(chosen, dialog.FilterIndex);
    int16_t existing = 0;
    try {
        existing = app::CheckFile(name);
    } catch (const platform::RuntimeError& error) {
        // The save is cancelled; the board and the program stay as they are.
        platform::MsgBox(platform::errorReportText(error), platform::MsgCritical, QStringLiteral("システムエラー"));
        return;
    }
    if (existing == 0) {
        const int answer = platform::MsgBox(QStringLiteral("上書きしますか？\r\n") + name,
                                            platform::MsgYesNo | platform::MsgQuestion, QStringLiteral("上書き確認"));
        if (answer == platform::AnswerNo)
            return;
    }

    showStatus(QStringLiteral("Saving "));
    const QString failure = writeBoard(state, name, formatOf(name));
    if (!failure.isEmpty()) {
        showStatus(statusBefore);
        tellFailure(failure);
        return;
    }
    showStatus(QStringLiteral(">") + name.mid(app::FindLast(name, QDir::separator())));
}

} // namespace output
