#include "output/savecommand.h"

#include "dialogs/clsDialog.h"
#include "output/CheckFile.h"
#include "platform/errors.h"
#include "platform/failuretexts.h"
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

} // namespace

void saveThroughDialog(const SaveDialog& request, QObject* owner, const QString& statusBefore,
                       const std::function<void(const QString&)>& showStatus,
                       const std::function<platform::Result(const QString& name)>& write) {
    dialogs::clsDialog dialog;
    dialog.SelectTitle = request.title;
    dialog.FilterPattern = request.filterPattern;
    dialog.SelectFlags = QStringLiteral("8196");
    const QString chosen = trimBlanks(dialog.SaveFile(owner));
    if (chosen.isEmpty())
        return;

    const QString name = request.settleName(chosen, dialog.FilterIndex);
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
    const platform::Result written = write(name);
    if (!written.ok()) {
        showStatus(statusBefore);
        tellFailure(written);
        return;
    }
    showStatus(QStringLiteral(">") + name.mid(platform::FindLast(name, QDir::separator())));
}

} // namespace output
