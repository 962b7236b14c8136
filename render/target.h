#pragma once

#include "platform/atomicfile.h"
#include "platform/filetypes.h"

#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace render {

// Where a picture goes: OUTPUT itself, or for "-" a file in a private temporary folder that is then copied
// to standard output (the writers replace regular files only, never a pipe or a terminal). A signal that
// ends the process meanwhile removes the file and the folder with it.
class Target {
public:
    Target(const QString& output, const platform::OutputFileType& type);

    const QString& fileName() const { return m_fileName; }

    // Copies a picture written for standard output there. The file and its folder are removed as soon as
    // the file is open, so an interrupted copy leaves nothing behind. Throws RenderError.
    void deliver();

private:
    QString m_fileName;
    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<platform::RemovedOnSignals> m_folderOnSignals;
    std::unique_ptr<platform::RemovedOnSignals> m_fileOnSignals;
};

// The name of frame file `frame` of `frames` for OUTPUT: frame-07.png for frame 7 of up to 99 of frame.png.
QString frameName(const QString& output, int frame, int frames);

} // namespace render
