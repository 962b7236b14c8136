#include "platform/atomicfile.h"

#include "platform/failuretexts.h"

#include <QFile>
#include <QRandomGenerator>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <new>

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

namespace platform {

namespace {

// As many links as the kernel follows in one path lookup.
constexpr int maxLinks = 40;

// The temporary files of every unfinished AtomicFile, for the signal handler, which may only read
// fixed memory and call unlink(). This is the one process-wide table of the core: a signal belongs to
// the process, not to a caller. No writer keeps more files unfinished at once than it has slots.
struct TemporarySlot {
    std::atomic<bool> taken{false};
    std::atomic<bool> live{false}; // path holds a file to remove
    bool folder = false;           // path is a folder, removed once the files in it are
    char path[PATH_MAX];
};
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler reads these flags");
TemporarySlot temporaries[16];

// The signals that end a process which could still clean up after itself (SIGQUIT's core dump included).
constexpr int interruptingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

int registerTemporary(const QByteArray& path, bool folder = false) {
    if (path.size() >= PATH_MAX)
        return -1;
    for (int i = 0; i < int(std::size(temporaries)); ++i) {
        TemporarySlot& slot = temporaries[i];
        if (slot.taken.exchange(true))
            continue;
        slot.folder = folder;
        std::memcpy(slot.path, path.constData(), size_t(path.size()) + 1);
        slot.live.store(true, std::memory_order_release);
        return i;
    }
    return -1;
}

void unregisterTemporary(int index) {
    if (index < 0)
        return;
    temporaries[index].live.store(false, std::memory_order_release);
    temporaries[index].taken.store(false, std::memory_order_release);
}

extern "C" void removeTemporariesAndEnd(int signal) {
    for (TemporarySlot& slot : temporaries) {
        if (slot.live.load(std::memory_order_acquire) && !slot.folder)
            ::unlink(slot.path);
    }
    for (TemporarySlot& slot : temporaries) {
        if (slot.live.load(std::memory_order_acquire) && slot.folder)
            ::rmdir(slot.path);
    }
    // SA_RESETHAND restored the default action; the signal is delivered again when this handler returns.
    ::raise(signal);
}

// Keeps the interrupting signals away from this thread while a temporary file exists but is not yet in
// the table, so that an interruption never leaves one behind.
class InterruptionsHeld {
public:
    InterruptionsHeld() {
        sigset_t held;
        sigemptyset(&held);
        for (const int signal : interruptingSignals)
            sigaddset(&held, signal);
        pthread_sigmask(SIG_BLOCK, &held, &m_previous);
    }
    ~InterruptionsHeld() { pthread_sigmask(SIG_SETMASK, &m_previous, nullptr); }
    InterruptionsHeld(const InterruptionsHeld&) = delete;
    InterruptionsHeld& operator=(const InterruptionsHeld&) = delete;

private:
    sigset_t m_previous;
};

QByteArray folderOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : path.left(slash);
}

QByteArray baseNameOf(const QByteArray& path) {
    return path.mid(path.lastIndexOf('/') + 1);
}

// Follows every symbolic link from path to the file it finally names. Reports whether that file exists
// and, when it does, requires it to be a regular file.
Result followLinks(const QString& fileName, QByteArray& path, struct stat& status, bool& exists) {
    path = QFile::encodeName(fileName);
    if (path.isEmpty())
        return Result::system(fileName, ENOENT);
    for (int links = 0;; ++links) {
        if (::lstat(path.constData(), &status) != 0) {
            if (errno == ELOOP)
                return Result::failed(Failure::LinkLoop, fileName);
            if (errno != ENOENT)
                return Result::system(fileName, errno);
            exists = false; // created where the last link points; a missing folder fails when it is created
            return Result::success();
        }
        if (!S_ISLNK(status.st_mode))
            break;
        if (links == maxLinks)
            return Result::failed(Failure::LinkLoop, fileName);
        char link[PATH_MAX];
        const ssize_t length = ::readlink(path.constData(), link, sizeof link);
        if (length < 0)
            return Result::system(fileName, errno);
        if (size_t(length) == sizeof link)
            return Result::system(fileName, ENAMETOOLONG);
        const QByteArray next(link, length);
        path = next.startsWith('/') ? next : folderOf(path) + '/' + next;
        if (path.size() >= PATH_MAX)
            return Result::system(fileName, ENAMETOOLONG);
    }
    if (!S_ISREG(status.st_mode)) {
        const QString finalFile = QFile::decodeName(path);
        return Result::failed(Failure::NotRegularFile, fileName, finalFile == fileName ? QString() : finalFile);
    }
    exists = true;
    return Result::success();
}

// ".NAME.lumidot-": hidden, recognisable, and with its six random letters no longer than a name may be.
QByteArray temporaryPrefix(const QByteArray& name) {
    static constexpr char marker[] = ".lumidot-";
    const qsizetype room = NAME_MAX - 1 - qsizetype(sizeof marker - 1) - 6;
    qsizetype keep = std::min(name.size(), room);
    while (keep > 0 && keep < name.size() && (uchar(name.at(keep)) & 0xC0) == 0x80)
        --keep; // a shortened UTF-8 name keeps whole characters
    return '.' + name.left(keep) + marker;
}

// Creates a new temporary file in folder and sets path to it; the descriptor, or -1 with errno set and path
// untouched, so that a name some other file holds is never taken for this one's.
int createTemporary(const QByteArray& folder, const QByteArray& prefix, mode_t mode, QByteArray& path) {
    static constexpr char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    // The system's source gives the few random words a name takes; Qt's global generator would first draw
    // the thousands of bytes that seed it, a slow hardware instruction every eight.
    QRandomGenerator& random = *QRandomGenerator::system();
    for (int attempt = 0; attempt < 100; ++attempt) {
        QByteArray candidate = folder + '/' + prefix;
        for (int i = 0; i < 6; ++i)
            candidate += letters[random.bounded(int(sizeof letters - 1))];
        const int descriptor = ::open(candidate.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (descriptor >= 0)
            path = candidate;
        if (descriptor >= 0 || errno != EEXIST)
            return descriptor;
    }
    errno = EEXIST;
    return -1;
}

// The folder holds the new name only once its own entry is on the disk. A folder this process may write
// but not read cannot be opened for that; neither can some file systems sync a folder (EINVAL).
int syncFolder(const QByteArray& folder) {
    const int descriptor = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return errno == EACCES ? 0 : errno;
    const int error = ::fsync(descriptor) == 0 || errno == EINVAL ? 0 : errno;
    ::close(descriptor);
    return error;
}

QString reasonOf(const Result& result) {
    switch (result.failure) {
    case Failure::SystemError:
    case Failure::DamagedInPlace:
        return systemReason(result.systemError, Language::English);
    case Failure::LinkLoop:
        return systemReason(ELOOP, Language::English);
    case Failure::NotRegularFile:
        return QStringLiteral("Not a regular file");
    default:
        return result.detail;
    }
}

} // namespace

AtomicFile::AtomicFile(const QString& fileName, InPlace inPlace) : m_fileName(fileName), m_inPlace(inPlace) {}

AtomicFile::~AtomicFile() {
    close();
}

bool AtomicFile::open(OpenMode mode) {
    if (m_descriptor >= 0)
        return false; // already open
    m_result = Result::success();
    setErrorString(QString());
    if (!(mode & WriteOnly) || (mode & ReadOnly)) {
        failSystem(EINVAL);
        return false;
    }
    fail(followLinks(m_fileName, m_targetPath, m_replaced, m_replacing));
    if (!m_result.ok())
        return false;
    const QByteArray name = baseNameOf(m_targetPath);
    if (name.isEmpty()) {
        failSystem(EISDIR); // a name ending in "/" names a folder
        return false;
    }
    // A file its owner made read-only is not replaced, though the folder would allow the rename.
    if (m_replacing && ::faccessat(AT_FDCWD, m_targetPath.constData(), W_OK, AT_EACCESS) != 0) {
        failSystem(errno);
        return false;
    }
    {
        const InterruptionsHeld held;
        // A replacement stays private until it has the replaced file's owner; a new file gets the umask.
        m_descriptor =
            createTemporary(folderOf(m_targetPath), temporaryPrefix(name), m_replacing ? 0600 : 0666, m_temporaryPath);
        if (m_descriptor < 0) {
            const int error = errno;
            // The file itself may be written (checked above), only its folder refuses a new name.
            if (m_replacing && m_inPlace == InPlace::Allowed && (error == EACCES || error == EPERM))
                return openInPlace(error);
            failSystem(error);
            return false;
        }
        m_slot = registerTemporary(m_temporaryPath);
    }
    if (m_replacing) {
        // Root gives the new file the old owner; others may at least keep the group. Neither is a failure
        // when the process may not, nor where the file system keeps no owners.
        const auto refused = [] { return errno == EPERM || errno == EINVAL; };
        if (::fchown(m_descriptor, m_replaced.st_uid, m_replaced.st_gid) != 0 &&
            (!refused() || (::fchown(m_descriptor, uid_t(-1), m_replaced.st_gid) != 0 && !refused())))
            failSystem(errno);
        // After the owner: changing it clears the set-user-ID and set-group-ID bits.
        else if (::fchmod(m_descriptor, m_replaced.st_mode & 07777) != 0 && errno != EPERM)
            failSystem(errno);
        if (!m_result.ok()) {
            discardTemporary();
            return false;
        }
    }
    return QIODevice::open(WriteOnly | Unbuffered);
}

bool AtomicFile::openInPlace(int refusal) {
    m_descriptor = ::open(m_targetPath.constData(), O_WRONLY | O_CLOEXEC);
    if (m_descriptor < 0) {
        failSystem(errno == EACCES || errno == EPERM ? refusal : errno);
        return false;
    }
    m_writingInPlace = true;
    m_held.clear();
    return QIODevice::open(WriteOnly | Unbuffered);
}

qint64 AtomicFile::writeData(const char* data, qint64 length) {
    if (m_writingInPlace) {
        // Held until commit(), so that a writer that fails or gives up half way leaves the file untouched.
        if (!m_result.ok())
            return -1;
        try {
            m_held.append(data, length);
        } catch (const std::bad_alloc&) {
            failSystem(ENOMEM);
            return -1;
        }
        return length;
    }
    qint64 written = 0;
    while (m_result.ok() && written < length) {
        const ssize_t step = ::write(m_descriptor, data + written, size_t(length - written));
        if (step < 0 && errno == EINTR)
            continue;
        if (step <= 0)
            failSystem(step < 0 ? errno : ENOSPC);
        else
            written += step;
    }
    m_written += written;
    // What is written goes on its way to the disk while the writer makes the rest, so that commit() waits
    // for the last part alone. Only a hint: a file system that cannot take it flushes everything at commit().
    if (m_written - m_sentToDisk >= WritebackBytes) {
        ::sync_file_range(m_descriptor, m_sentToDisk, m_written - m_sentToDisk, SYNC_FILE_RANGE_WRITE);
        m_sentToDisk = m_written;
    }
    return m_result.ok() ? written : -1;
}

void AtomicFile::fail(const Result& result) {
    if (!m_result.ok() || result.ok())
        return;
    m_result = result;
    setErrorString(reasonOf(result));
}

void AtomicFile::discardTemporary() {
    if (m_descriptor >= 0)
        ::close(m_descriptor);
    m_descriptor = -1;
    m_writingInPlace = false;
    m_held = QByteArray();
    if (!m_temporaryPath.isEmpty())
        ::unlink(m_temporaryPath.constData());
    unregisterTemporary(m_slot);
    m_slot = -1;
    m_temporaryPath.clear();
}

bool AtomicFile::commitInPlace() {
    // Nothing of the file changes until the first byte is written; from then on a failure has damaged it.
    qint64 written = 0;
    int error = 0;
    while (m_result.ok() && !error && written < m_held.size()) {
        const ssize_t step =
            ::pwrite(m_descriptor, m_held.constData() + written, size_t(m_held.size() - written), off_t(written));
        if (step < 0 && errno == EINTR)
            continue;
        if (step <= 0)
            error = step < 0 ? errno : ENOSPC;
        else
            written += step;
    }
    bool changed = written > 0;
    if (m_result.ok() && !error) {
        if (::ftruncate(m_descriptor, off_t(written)) != 0) {
            error = errno;
        } else {
            changed = true; // cut to the new length, or emptied
            if (::fdatasync(m_descriptor) != 0 && errno != EINVAL)
                error = errno;
        }
    }
    if (::close(m_descriptor) != 0 && errno != EINTR && !error)
        error = errno;
    m_descriptor = -1;
    m_writingInPlace = false;
    m_held = QByteArray();
    if (error)
        fail(changed ? Result{Failure::DamagedInPlace, m_fileName, error, {}} : Result::system(m_fileName, error));
    QIODevice::close();
    return m_result.ok();
}

bool AtomicFile::commit() {
    if (m_descriptor < 0) {
        failSystem(EBADF); // never opened, or already committed or closed
        return false;
    }
    if (m_writingInPlace)
        return commitInPlace();
    // The data reaches the disk before the name does, so that a power cut leaves the old file or the
    // new one, never an empty one. EINVAL: a file system that cannot sync, where there is nothing to wait for.
    if (m_result.ok() && ::fdatasync(m_descriptor) != 0 && errno != EINVAL)
        failSystem(errno);
    // close() reports late write errors of network file systems; after EINTR the descriptor is gone all the same.
    if (::close(m_descriptor) != 0 && errno != EINTR)
        failSystem(errno);
    m_descriptor = -1;
    if (m_result.ok() && ::rename(m_temporaryPath.constData(), m_targetPath.constData()) != 0)
        failSystem(errno);
    if (!m_result.ok()) {
        discardTemporary();
        QIODevice::close();
        return false;
    }
    unregisterTemporary(m_slot);
    m_slot = -1;
    m_temporaryPath.clear();
    if (const int error = syncFolder(folderOf(m_targetPath)))
        failSystem(error); // the file is in place, but whether it stays there after a power cut is not known
    QIODevice::close();
    return m_result.ok();
}

void AtomicFile::close() {
    discardTemporary();
    if (isOpen())
        QIODevice::close();
}

void removeTemporaryFilesOnSignals() {
    for (const int signal : interruptingSignals) {
        struct sigaction current {};
        if (::sigaction(signal, nullptr, &current) != 0 || current.sa_handler == SIG_IGN)
            continue; // nohup and the like keep their ignored signals
        struct sigaction removing {};
        removing.sa_handler = removeTemporariesAndEnd;
        sigemptyset(&removing.sa_mask);
        removing.sa_flags = SA_RESETHAND;
        ::sigaction(signal, &removing, nullptr);
    }
}

RemovedOnSignals::RemovedOnSignals(const QString& path, bool folder) {
    const InterruptionsHeld held;
    m_slot = registerTemporary(QFile::encodeName(path), folder);
}

RemovedOnSignals::~RemovedOnSignals() {
    unregisterTemporary(m_slot);
}

} // namespace platform
