#include "scroll/output.h"

#include <cerrno>

namespace scroll {

namespace {
// Large enough that a file of many small GIF blocks costs few system calls.
constexpr qsizetype BufferSize = 256 * 1024;
} // namespace

Output::Output(const QString& fileName) : m_fileName(fileName), m_file(fileName) {}

// The atomic file fails with the failing system call's errno still set; EIO stands in if it is not.
void Output::failWithErrno() {
    const int error = errno;
    if (m_failure.ok())
        m_failure = platform::Result::system(m_fileName, error != 0 ? error : EIO);
}

platform::Result Output::openFile() {
    errno = 0;
    if (!m_file.open(QIODevice::WriteOnly))
        failWithErrno();
    else
        QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    m_buffer.reserve(BufferSize);
    return m_failure;
}

qint64 Output::writeData(const char* data, qint64 size) {
    if (failed() || (m_buffer.size() + size > BufferSize && !flush()))
        return -1;
    if (size >= BufferSize) {
        errno = 0;
        if (m_file.write(data, size) != size)
            failWithErrno();
    } else {
        m_buffer.append(data, size);
    }
    return failed() ? -1 : size;
}

bool Output::flush() {
    errno = 0;
    if (!m_buffer.isEmpty() && m_file.write(m_buffer) != m_buffer.size())
        failWithErrno();
    m_buffer.resize(0); // keeps the capacity
    return !failed();
}

platform::Result Output::commit() {
    if (!flush())
        return m_failure;
    errno = 0;
    if (!m_file.commit())
        failWithErrno();
    QIODevice::close();
    return m_failure;
}

} // namespace scroll
