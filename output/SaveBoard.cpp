#include "output/SaveBoard.h"

#include "dialogs/clsDialog.h"
#include "output/CheckFile.h"
#include "platform/errors.h"
#include "platform/failuretexts.h"
#include "platform/filetypes.h"
#include "platform/messagebox.h"
#include "platform/text.h"

#include <QDir>

namespace output {

namespace {

// Only blanks count: a tab or other white space in a name is the user's.
QString trimBlanks(const QString& text) {
    qsizetype first = 0, last = text.size();
    while (first < last && text[first] == QLatin1Char(' '))
        ++first;
    while (last > first && text[last - 1] == QLatin1Char(' '))
        --last;
    return text.mid(first, last - first);
}

void tellFailure(const platform::Result& result) {
    platform::MsgBox(QStringLiteral("ファイルを保存できませんでした。\r\n") +
                         platform::failureText(result, platform::Language::Japanese),
                     platform::MsgExclamation, QStringLiteral("Lumidot"));
}

// The save dialog's filters after the first, which takes any board image type.
struct SaveFilter {
    const char* description; // UTF-8
    platform::ImageFormat format;
};
const SaveFilter SaveFilters[] = {
    {"ビットマップファイル", platform::ImageFormat::Bmp},
    {"ＪＰＥＧファイル", platform::ImageFormat::Jpeg},
    {"ＰＮＧファイル", platform::ImageFormat::Png},
};

QString lowerPattern(platform::ImageFormat format) {
    return QLatin1Char('*') + platform::extensionOf(format).toLower();
}

} // namespace

QString saveFilterPattern() {
    const QChar nul(0);
    QStringList anyType;
    QString filters;
    for (const SaveFilter& filter : SaveFilters) {
        anyType << lowerPattern(filter.format);
        filters += QString::fromUtf8(filter.description) + nul + lowerPattern(filter.format) + nul;
    }
    return QStringLiteral("画像ファイル") + nul + anyType.join(QLatin1Char(';')) + nul + filters;
}

QString settleFileName(const QString& name, int32_t filterIndex) {
    const auto named = platform::boardFormatNamed(name);
    const qsizetype filter = qsizetype(filterIndex) - 2;
    if (filter >= 0 && filter < qsizetype(std::size(SaveFilters))) {
        const platform::ImageFormat wanted = SaveFilters[filter].format;
        return named == wanted ? name : name + platform::extensionOf(wanted);
    }
    return named ? name : name + platform::extensionOf(platform::ImageFormat::Bmp);
}

void SaveBoard(const platform::Surface& board, const SaveOptions& options, QObject* owner, QString statusBefore,
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
        existing = CheckFile(name);
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
    const platform::Result written = writeBoard(board, name, platform::saveFormatOf(name), options);
    if (!written.ok()) {
        showStatus(statusBefore);
        tellFailure(written);
        return;
    }
    showStatus(QStringLiteral(">") + name.mid(platform::FindLast(name, QDir::separator())));
}

} // namespace output
