#pragma once

#include "platform/commondialogs.h"

#include <QFileDialog>

namespace ui {

// The file dialog a request describes. Qt's own dialog on every platform, so that extensions in any
// case are listed, the save dialog never asks its own overwrite question (the caller asks) nor renames
// a typed name when another filter is picked (the caller settles the extension), and a new name is
// confirmed here when the request's flags ask for it.
class FileDialog : public QFileDialog {
    Q_OBJECT

public:
    explicit FileDialog(const platform::DialogRequest& request);

    // The user's answer once the dialog has closed.
    platform::DialogAnswer answer() const;

    void accept() override;

private:
    void keepTypedNameAcrossFilters();

    uint32_t m_flags;
    QStringList m_filters;
};

// Makes every file and colour dialog of the program a real dialog, modal over its owner window.
void installFileDialogs();

} // namespace ui
