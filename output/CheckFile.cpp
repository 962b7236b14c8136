#include "output/CheckFile.h"

#include "platform/errors.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>

#include <sys/stat.h>

namespace output {

int16_t CheckFile(const QString& path) {
    if (path.trimmed().isEmpty())
        return 1;
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) == 0)
        return S_ISDIR(status.st_mode) ? 2 : (status.st_size == 0 ? 3 : 0);
    switch (errno) {
    case ENOENT:
        // A missing file in an existing folder is simply new; a missing folder is an error.
        if (QFileInfo(QFileInfo(path).absolutePath()).isDir())
            return 2;
        platform::raiseError(platform::ErrPathNotFound);
    case ENOTDIR:
        platform::raiseError(platform::ErrPathNotFound);
    default:
        platform::raiseError(platform::ErrPathFileAccess);
    }
}

} // namespace output
