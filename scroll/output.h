#pragma once

#include "platform/atomicfile.h"
#include "platform/result.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>

namespace scroll {

// The file an encoder writes: a write-only device over the target's atomic replacement that gathers
// small writes into large blocks and keeps the first failure met. After a failure every write is
// refused, so an encoder may check only at its end; without commit() the target stays as it was.
class Output : public QIODevice {
public:
    explicit Output(const QString& fileName);

    // Opens the temporary file beside the target.
    platform::Result openFile();
    // Writes what is gathered and renames the file into place.
    platform::Result commit();

    bool failed() const { return !m_failure.ok(); }
    const platform::Result& failure() const { return m_failure; }
    const QString& fileName() const { return m_fileName; }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override;

private:
    bool flush();
    void failWithFileReason();

    QString m_fileName;
    platform::AtomicFile m_file;
    QByteArray m_buffer;
    platform::Result m_failure;
};

} // namespace scroll
