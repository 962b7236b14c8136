#include "platform/wholefile.h"

#include <QFile>
#include <QScopeGuard>

#include <cerrno>
#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

WholeFile failed(WholeFile::Problem problem, int error = 0) {
    WholeFile result;
    result.problem = problem;
    result.systemError = error;
    return result;
}

// Reads to the end, or until more than limit bytes came. The buffer grows with what comes, not to the limit.
WholeFile readToEnd(int descriptor, qint64 limit, QByteArray bytes = {}) {
    char chunk[65536];
    while (bytes.size() <= limit) {
        const ssize_t got = ::read(descriptor, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return failed(WholeFile::Problem::System, errno);
        if (got == 0)
            break;
        bytes.append(chunk, got);
    }
    if (bytes.size() > limit)
        return failed(WholeFile::Problem::TooLarge);
    WholeFile result;
    result.bytes = std::move(bytes);
    return result;
}

// For a named pipe opened without waiting: what is there already, or nothing while a writer is on its way
// with more. A pipe that has neither data nor a writer reads as its end at once.
std::optional<QByteArray> firstOfPipe(int descriptor, int& error) {
    char chunk[65536];
    for (;;) {
        const ssize_t got = ::read(descriptor, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 && errno != EAGAIN) {
            error = errno;
            return std::nullopt;
        }
        error = 0;
        if (got == 0)
            return std::nullopt;
        return QByteArray(chunk, got < 0 ? 0 : got);
    }
}

} // namespace

WholeFile readWholeFile(const QString& fileName, qint64 limit, FileKinds kinds) {
    const int descriptor = ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0)
        return failed(WholeFile::Problem::System, errno);
    const auto closing = qScopeGuard([descriptor] { ::close(descriptor); });
    struct stat status {};
    if (::fstat(descriptor, &status) != 0)
        return failed(WholeFile::Problem::System, errno);
    const bool regular = S_ISREG(status.st_mode);
    if (kinds == FileKinds::RegularOnly && !regular)
        return failed(WholeFile::Problem::NotRegularFile);
    if (regular && status.st_size > limit)
        return failed(WholeFile::Problem::TooLarge);

    QByteArray first;
    if (S_ISFIFO(status.st_mode)) {
        int error = 0;
        const std::optional<QByteArray> there = firstOfPipe(descriptor, error);
        if (error != 0)
            return failed(WholeFile::Problem::System, error);
        if (!there)
            return failed(WholeFile::Problem::NobodyWrites);
        first = *there;
    }
    // From here on a read waits for data as usual: on a pipe, only for a program that is writing to it.
    ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
    if (!regular)
        return readToEnd(descriptor, limit, first);
    // Read one byte past the size: a file that grew meanwhile is being written and is left alone.
    WholeFile read = readToEnd(descriptor, status.st_size);
    if (read.problem == WholeFile::Problem::TooLarge)
        return failed(WholeFile::Problem::Changed);
    return read;
}

WholeFile readWhole(int descriptor, qint64 limit) {
    return readToEnd(descriptor, limit);
}

} // namespace platform
