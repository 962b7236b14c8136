#pragma once

#include <QByteArray>
#include <QString>

// Reading a whole file that the user names (a message, a settings file) without trusting it: a size
// limit that holds before the memory is spent, and no wait on a named pipe that nobody writes to.
namespace platform {

struct WholeFile {
    enum class Problem {
        None,
        System,         // the system refused: systemError holds errno
        TooLarge,       // more than the limit
        NotRegularFile, // a device, a pipe, a socket or a folder where only a regular file is taken
        NobodyWrites,   // a named pipe with no program writing to it
        Changed,        // a regular file that grew while it was read: someone is still writing it
    };
    QByteArray bytes;
    Problem problem = Problem::None;
    int systemError = 0;

    bool ok() const { return problem == Problem::None; }
};

enum class FileKinds { Any, RegularOnly };

// The whole content of fileName, at most limit bytes. A regular file larger than the limit is refused before
// anything is read; anything else (a pipe, a device such as /dev/zero) is read only to one byte past the limit.
// The file is opened without waiting, so a named pipe put in its place never blocks: one that a program
// writes to is read to its end, one that nobody writes to is refused at once. RegularOnly refuses anything
// but a regular file before reading it.
WholeFile readWholeFile(const QString& fileName, qint64 limit, FileKinds kinds = FileKinds::Any);

// The same for a descriptor that is already open (standard input), read to its end or one byte past the limit.
WholeFile readWhole(int descriptor, qint64 limit);

} // namespace platform
