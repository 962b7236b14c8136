#include "ui/filedialogs.h"

#include "platform/messagebox.h"
#include "ui/colordialog.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>

namespace ui {

using platform::DialogAnswer;
using platform::DialogRequest;

namespace {

QWidget* ownerWindow(const DialogRequest& request) {
    return qobject_cast<QWidget*>(request.owner);
}

QFileDialog::FileMode fileModeFor(const DialogRequest& request) {
    using namespace platform;
    if (request.kind == DialogKind::Save)
        return QFileDialog::AnyFile;
    if ((request.flags & OfnAllowMultiSelect) && (request.flags & OfnExplorer))
        return QFileDialog::ExistingFiles;
    return (request.flags & OfnFileMustExist) ? QFileDialog::ExistingFile : QFileDialog::AnyFile;
}

DialogAnswer showFileDialog(const DialogRequest& request) {
    FileDialog dialog(request);
    dialog.exec();
    return dialog.answer();
}

DialogAnswer showColorDialog(const DialogRequest& request) {
    ColorDialog dialog(request);
    dialog.exec();
    return dialog.answer();
}

} // namespace

FileDialog::FileDialog(const DialogRequest& request)
    : QFileDialog(ownerWindow(request), request.title, request.folder), m_flags(request.flags),
      m_filters(request.nameFilters) {
    setOptions(DontUseNativeDialog | DontConfirmOverwrite);
    setAcceptMode(request.kind == platform::DialogKind::Save ? AcceptSave : AcceptOpen);
    setFileMode(fileModeFor(request));
    if (!m_filters.isEmpty()) {
        setNameFilters(m_filters);
        if (request.selectedFilter >= 1 && request.selectedFilter <= m_filters.size())
            selectNameFilter(m_filters[request.selectedFilter - 1]);
    }
    if (request.kind == platform::DialogKind::Save)
        keepTypedNameAcrossFilters();
}

// Qt's save dialog gives the name the new filter's extension when the user picks another filter. Here
// the filter changes what the list shows and nothing else: the name stays as it was typed.
void FileDialog::keepTypedNameAcrossFilters() {
    auto* types = findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    auto* name = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (!types || !name)
        return;
    disconnect(types, &QComboBox::activated, this, nullptr); // Qt's own handler, which renames
    connect(types, &QComboBox::activated, this, [this, types, name](int index) {
        const QString typed = name->text();
        selectNameFilter(types->itemText(index));
        name->setText(typed);
    });
}

DialogAnswer FileDialog::answer() const {
    DialogAnswer answer;
    answer.accepted = result() == Accepted;
    if (answer.accepted) {
        answer.paths = selectedFiles();
        answer.filterIndex = int(m_filters.indexOf(selectedNameFilter())) + 1;
    }
    return answer;
}

void FileDialog::accept() {
    const QStringList chosen = selectedFiles();
    if ((m_flags & platform::OfnCreatePrompt) && chosen.size() == 1 && !QFileInfo::exists(chosen.first())) {
        const QString prompt =
            chosen.first() + QStringLiteral("\nこのファイルは存在しません。\nファイルを作成しますか?");
        if (platform::MsgBox(prompt, platform::MsgYesNo | platform::MsgExclamation, windowTitle()) !=
            platform::AnswerYes)
            return;
    }
    QFileDialog::accept();
}

void installFileDialogs() {
    platform::setFileDialogHandler(showFileDialog);
    platform::setColorDialogHandler(showColorDialog);
}

} // namespace ui
