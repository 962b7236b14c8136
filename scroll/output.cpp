#include "scroll/output.h"

#include <cerrno>

namespace scroll {

namespace {
// Large enough that a file of many small GIF blocks costs few system calls.
constexpr qsizetype BufferSize = 256 * 1024;
} // namespace

Output::Output(const QString& fileName) : m_fileName(fileName), m_file(fileName) {}

// The atomic file keeps why it failed (the system's error number, or a target that is no regular file);
// EIO stands in should it have nothing to say.
void Output::failWithFileReason() {
    if (m_failure.ok())
        m_failure = m_file.result().ok() ? platform::Result::system(m_fileName, EIO) : m_file.result();
}

platform::Result Output::openFile() {
    if (!m_file.open(QIODevice::WriteOnly))
        failWithFileReason();
    else
        QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    m_buffer.reserve(BufferSize);
    return m_failure;
}

qint64 Output::writeData(const char* data, qint64 size) {
    if (failed() || (m_buffer.size() + size > BufferSize && !flush()))
        return -1;
    if (size >= BufferSize) {
        if (m_file.write(data, size) != size)
            failWithFileReason();
    } else {
        m_buffer.append(data, size);
    }
    return failed() ? -1 : size;
}

bool Output::flush() {
    if (!m_buffer.isEmpty() && m_file.write(m_buffer) != m_buffer.size())
        failWithFileReason();
    m_buffer.resize(0); // keeps the capacity
    return !failed();
}

platform::Result Output::commit() {
    if (!flush())
        return m_failure;
    if (!m_file.commit())
        failWithFileReason();
    QIODevice::close();
    return m_failure;
}

} // namespace scroll
