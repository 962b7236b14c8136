#pragma once

#include "platform/result.h"

#include <QIODevice>
#include <QString>

#include <sys/stat.h>

namespace platform {

// A file that replaces its target whole or not at all. open() follows the target's symbolic links to the
// final file and refuses one that exists and is not a regular file (a device, a pipe, a socket, a folder)
// before anything is created. Everything is written to a hidden temporary file in the final file's folder
// (".NAME.lumidot-XXXXXX"), every write is checked to its last byte, and only commit() flushes the data,
// gives it the replaced file's owner, group and mode, renames it into place and syncs the folder. Every
// link on the way stays a link. Without commit(), or when any step fails, the temporary file is removed
// and the target stays as it was.
//
// A file the process may write in a folder where it may not create one cannot be replaced so. Unless the
// file must only ever be replaced whole (InPlace::Refused), it is then rewritten in place: what is
// written is held in memory, and commit() writes it over the file from its start, cuts the file to its
// length and flushes it. The file keeps its owner, group and mode. Until commit() the file is untouched;
// a failure once commit() has begun to write leaves it damaged and says so (Failure::DamagedInPlace).
class AtomicFile : public QIODevice {
public:
    enum class InPlace { Allowed, Refused };

    explicit AtomicFile(const QString& fileName, InPlace inPlace = InPlace::Allowed);
    ~AtomicFile() override;

    bool open(OpenMode mode) override; // WriteOnly only; fails for a target this process may not replace
    bool commit();
    void close() override; // gives up: the target stays as it was

    QString fileName() const { return m_fileName; } // as given, links not followed
    Result result() const { return m_result; }      // the first failure so far, naming fileName()
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 length) override;

private:
    void fail(const Result& result);
    void failSystem(int error) { fail(Result::system(m_fileName, error)); }
    void discardTemporary();
    bool openInPlace(int refusal);
    bool commitInPlace();

    QString m_fileName;
    QByteArray m_targetPath; // the final file, every link followed
    QByteArray m_temporaryPath;
    struct stat m_replaced {}; // the file being replaced, when m_replacing
    bool m_replacing = false;
    int m_descriptor = -1;
    int m_slot = -1; // where the temporary file is registered for removal on a signal
    InPlace m_inPlace;
    bool m_writingInPlace = false; // m_descriptor is the target itself
    QByteArray m_held;             // what commit() writes over the target in place
    Result m_result;
    static constexpr off_t WritebackBytes = off_t(1) << 20;
    off_t m_written = 0;    // to the temporary file
    off_t m_sentToDisk = 0; // of which writeback has been started
};

// Installs handlers for SIGINT, SIGTERM, SIGHUP and SIGQUIT that remove every temporary file of an unfinished
// AtomicFile (and every path a RemovedOnSignals holds), then end the process as the signal would have.
// Signals the process ignores stay ignored.
void removeTemporaryFilesOnSignals();

// A temporary path of the caller's own that those handlers remove while this lives: a file, or a folder,
// removed after the files once it is empty (a private folder that AtomicFile writes into).
class RemovedOnSignals {
public:
    RemovedOnSignals(const QString& path, bool folder);
    ~RemovedOnSignals();
    RemovedOnSignals(const RemovedOnSignals&) = delete;
    RemovedOnSignals& operator=(const RemovedOnSignals&) = delete;

private:
    int m_slot = -1;
};

} // namespace platform
