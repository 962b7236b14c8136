#include "dialogs/clsDialog.h"

#include "platform/text.h"
#include "platform/errors.h"
#include "platform/numbers.h"

#include <QDir>
#include <QFileInfo>

namespace dialogs {

using platform::DialogAnswer;
using platform::DialogKind;
using platform::DialogRequest;

namespace {

const QChar Nul(0);

// The dialog returns at most this many characters, the closing NULs included; a longer answer fails.
constexpr qsizetype MaxFileBuffer = 30000;

// The filter list in the dialog's own form, "description (*.a *.b)" for each description/patterns pair.
// An empty text ends the list.
QStringList nameFilters(const QString& filterPattern) {
    const QStringList texts = filterPattern.split(Nul);
    QStringList filters;
    for (qsizetype i = 0; i + 1 < texts.size() && !texts[i].isEmpty() && !texts[i + 1].isEmpty(); i += 2) {
        QStringList patterns;
        for (const QString& pattern : texts[i + 1].split(u';'))
            if (!pattern.trimmed().isEmpty())
                patterns << pattern.trimmed();
        filters << texts[i] + QStringLiteral(" (") + patterns.join(u' ') + u')';
    }
    return filters;
}

// The answer as the dialog's file buffer: one path, or for several files the folder followed by each
// name, every text closed by a NUL and the whole by one more NUL. "" for a cancel, and for an answer
// that does not fit the buffer.
QString fileBuffer(const DialogAnswer& answer) {
    if (!answer.accepted || answer.paths.isEmpty())
        return QString();
    QString buffer;
    if (answer.paths.size() == 1) {
        buffer = answer.paths.first() + Nul;
    } else {
        const QDir folder = QFileInfo(answer.paths.first()).absoluteDir();
        buffer = folder.path() + Nul;
        for (const QString& path : answer.paths)
            buffer += folder.relativeFilePath(path) + Nul;
        buffer += Nul;
    }
    return buffer.size() <= MaxFileBuffer ? buffer : QString();
}

} // namespace

DialogRequest clsDialog::fileRequest(DialogKind kind, QObject* owner) const {
    DialogRequest request;
    request.kind = kind;
    request.flags = uint32_t(platform::toInt32(platform::parseNumber(SelectFlags)));
    request.title = SelectTitle;
    request.nameFilters = nameFilters(FilterPattern);
    request.selectedFilter = request.nameFilters.isEmpty() ? 0 : 1;
    request.folder = DefaultFolder;
    request.owner = owner;
    return request;
}

QString clsDialog::OpenFile(QObject* owner) {
    const QString buffer = fileBuffer(platform::runFileDialog(fileRequest(DialogKind::Open, owner)));
    if (buffer.isEmpty())
        return QString();
    const QString first = platform::GetField(buffer, 1, Nul);
    const QFileInfo firstInfo(first);
    if (!firstInfo.exists())
        platform::raiseError(platform::ErrFileNotFound);
    if (!firstInfo.isDir())
        return first;
    // A multi-selection: the folder, then the names up to the empty text that closes the list.
    QString result;
    for (int16_t n = 2;; ++n) { // the buffer holds at most MaxFileBuffer / 2 names
        const QString name = platform::GetField(buffer, n, Nul);
        if (name.isEmpty())
            break;
        if (!result.isEmpty())
            result += u' ';
        result += first + u'/' + name;
    }
    return result;
}

QString clsDialog::SaveFile(QObject* owner) {
    const DialogAnswer answer = platform::runFileDialog(fileRequest(DialogKind::Save, owner));
    const QString buffer = fileBuffer(answer);
    if (buffer.isEmpty()) {
        FilterIndex = 0;
        return QString();
    }
    FilterIndex = answer.filterIndex;
    return platform::TrimNull(buffer);
}

bool clsDialog::ColorCode(QObject* owner) {
    DialogRequest request;
    request.kind = DialogKind::Color;
    request.owner = owner;
    request.flags = ColorFlags;
    request.color = SelectColor;
    const DialogAnswer answer = platform::runColorDialog(request);
    if (!answer.accepted)
        return false;
    SelectColor = answer.color;
    return true;
}

} // namespace dialogs
