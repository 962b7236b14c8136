#pragma once

#include <QIODevice>
#include <QString>

namespace platform {

// A file that replaces its target whole or not at all: everything is written to a temporary file
// beside the target, every write is checked to its last byte, and only commit() renames the finished
// file into place. Unlike a buffered writer, a short write (a full device, a file size limit) is never
// taken for success. Without commit() the temporary file is removed and the target stays as it was.
class AtomicFile : public QIODevice {
public:
    explicit AtomicFile(const QString& fileName);
    ~AtomicFile() override;

    bool open(OpenMode mode) override; // WriteOnly only; fails for a target this process may not write
    bool commit();
    void close() override; // gives up: the target stays as it was

    QString fileName() const { return m_fileName; }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 length) override;

private:
    void fail(const QString& what);

    QString m_fileName; // the target, symbolic links followed
    QByteArray m_temporaryPath;
    int m_descriptor = -1;
    bool m_failed = false;
};

} // namespace platform
