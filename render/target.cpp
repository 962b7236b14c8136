#include "render/target.h"

#include "platform/failuretexts.h"
#include "render/job.h"

#include <QDir>
#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

namespace render {

Target::Target(const QString& output, const platform::OutputFileType& type) : m_fileName(output) {
    if (output != QLatin1String("-"))
        return;
    m_folder = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/lumidot-render-XXXXXX"));
    if (!m_folder->isValid())
        throw RenderError{QStringLiteral("cannot make a temporary folder in \"%1\" for standard output: %2")
                              .arg(QDir::tempPath(), m_folder->errorString())};
    m_folderOnSignals = std::make_unique<platform::RemovedOnSignals>(m_folder->path(), true);
    m_fileName = m_folder->filePath(QStringLiteral("standard-output.") + QLatin1String(type.extension));
    m_fileOnSignals = std::make_unique<platform::RemovedOnSignals>(m_fileName, false);
}

void Target::deliver() {
    if (!m_folder)
        return;
    const int descriptor = ::open(QFile::encodeName(m_fileName).constData(), O_RDONLY | O_CLOEXEC);
    const int openError = errno;
    m_folder.reset();
    m_fileOnSignals.reset();
    m_folderOnSignals.reset();
    if (descriptor < 0)
        throw RenderError{QStringLiteral("cannot read \"%1\" again: %2")
                              .arg(m_fileName, platform::systemReason(openError, platform::Language::English))};
    char buffer[65536];
    int error = 0;
    for (ssize_t got; error == 0 && (got = ::read(descriptor, buffer, sizeof buffer)) != 0;) {
        if (got < 0) {
            error = errno == EINTR ? 0 : errno;
            continue;
        }
        for (ssize_t at = 0; error == 0 && at < got;) {
            const ssize_t put = ::write(STDOUT_FILENO, buffer + at, size_t(got - at));
            if (put >= 0)
                at += put;
            else if (errno != EINTR)
                error = errno;
        }
    }
    ::close(descriptor);
    if (error != 0)
        throw RenderError{QStringLiteral("cannot write to standard output: %1")
                              .arg(platform::systemReason(error, platform::Language::English))};
}

QString frameName(const QString& output, int frame, int frames) {
    const int digits = QString::number(frames).size();
    const QString number = QStringLiteral("%1").arg(frame, digits, 10, QLatin1Char('0'));
    const qsizetype dot = output.lastIndexOf(u'.');
    return output.left(dot) + QLatin1Char('-') + number + output.mid(dot);
}

} // namespace render
