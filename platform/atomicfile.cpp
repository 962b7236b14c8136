#include "platform/atomicfile.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

QString systemError(int number) {
    return QString::fromLocal8Bit(std::strerror(number));
}

// The permissions a new file gets: those of the file it replaces, or the usual ones for a new file.
mode_t permissionsFor(const QByteArray& target) {
    struct stat status {};
    if (::stat(target.constData(), &status) == 0)
        return status.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// The temporary file's name pattern: the target's name and a random suffix, the name shortened where
// the suffix would make it longer than a file name may be.
QByteArray temporaryPattern(const QByteArray& target) {
    const QByteArray suffix = ".XXXXXX";
    const qsizetype nameLength = target.size() - target.lastIndexOf('/') - 1;
    const qsizetype excess = nameLength + suffix.size() - NAME_MAX;
    return target.left(target.size() - std::max<qsizetype>(excess, 0)) + suffix;
}

} // namespace

AtomicFile::AtomicFile(const QString& fileName) {
    const QFileInfo info(fileName);
    m_fileName = info.isSymLink() ? info.symLinkTarget() : fileName;
}

AtomicFile::~AtomicFile() {
    close();
}

bool AtomicFile::open(OpenMode mode) {
    if (m_descriptor >= 0 || !(mode & WriteOnly) || (mode & ReadOnly)) {
        setErrorString(QStringLiteral("invalid open mode"));
        return false;
    }
    const QByteArray target = QFile::encodeName(m_fileName);
    if (QFileInfo(m_fileName).isDir()) {
        setErrorString(systemError(EISDIR));
        return false;
    }
    // A file its owner made read-only is not replaced, though the folder would allow the rename.
    if (::faccessat(AT_FDCWD, target.constData(), W_OK, AT_EACCESS) != 0 && errno != ENOENT) {
        setErrorString(systemError(errno));
        return false;
    }
    m_temporaryPath = temporaryPattern(target);
    m_descriptor = ::mkstemp(m_temporaryPath.data());
    if (m_descriptor < 0) {
        setErrorString(systemError(errno));
        return false;
    }
    ::fchmod(m_descriptor, permissionsFor(target));
    m_failed = false;
    return QIODevice::open(WriteOnly | Unbuffered);
}

qint64 AtomicFile::writeData(const char* data, qint64 length) {
    qint64 written = 0;
    while (!m_failed && written < length) {
        const ssize_t step = ::write(m_descriptor, data + written, size_t(length - written));
        if (step < 0 && errno == EINTR)
            continue;
        if (step <= 0)
            fail(systemError(step < 0 ? errno : ENOSPC));
        else
            written += step;
    }
    return m_failed ? -1 : written;
}

void AtomicFile::fail(const QString& what) {
    if (!m_failed)
        setErrorString(what);
    m_failed = true;
}

bool AtomicFile::commit() {
    if (m_descriptor < 0)
        return false;
    // No fsync: the rename is what makes the replacement atomic, and settings are saved several times
    // in a row, where waiting for the disk each time would be felt.
    if (::close(m_descriptor) != 0)
        fail(systemError(errno));
    m_descriptor = -1;
    if (!m_failed && ::rename(m_temporaryPath.constData(), QFile::encodeName(m_fileName).constData()) != 0)
        fail(systemError(errno));
    if (m_failed)
        ::unlink(m_temporaryPath.constData());
    QIODevice::close();
    return !m_failed;
}

void AtomicFile::close() {
    if (m_descriptor >= 0) {
        ::close(m_descriptor);
        ::unlink(m_temporaryPath.constData());
        m_descriptor = -1;
    }
    if (isOpen())
        QIODevice::close();
}

} // namespace platform
