#pragma once

#include "platform/atomicfile.h"
#include "platform/result.h"

#include <QByteArray>
#include <QString>

namespace scroll {

// The file an encoder writes: the target's atomic replacement, written in large blocks however small
// the encoder's pieces, and the first failure met. After a failure every write is refused, so an
// encoder may check only at its end; without commit() the target stays as it was.
class Output {
public:
    explicit Output(const QString& fileName);

    platform::Result open();
    // False once anything has failed.
    bool write(const void* data, qsizetype size);
    bool write(const QByteArray& data) { return write(data.constData(), data.size()); }
    // Writes what is buffered and renames the file into place.
    platform::Result commit();

    bool failed() const { return !m_failure.ok(); }
    const platform::Result& failure() const { return m_failure; }
    const QString& fileName() const { return m_fileName; }

private:
    bool flush();
    void failWithErrno();

    QString m_fileName;
    platform::AtomicFile m_file;
    QByteArray m_buffer;
    platform::Result m_failure;
};

} // namespace scroll
