#pragma once

#include "app/basCommon.h"
#include "app/frmMain.h"

#include <QCoreApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QStringList>
#include <QUrl>

#include <memory>
#include <utility>

// The main window as the tests drive it.
namespace testwindow {

// Start-up as the program does it: load the settings, save them at once, open the main window.
inline std::unique_ptr<app::frmMain> startMainWindow() {
    app::LoadSettings();
    app::SaveSettings();
    auto window = std::make_unique<app::frmMain>();
    window->Form_Load();
    return window;
}

// Drags local files onto a widget and drops them there, as the desktop does; returns whether the
// widget accepted the drag and the drop.
inline std::pair<bool, bool> dropFiles(QWidget* target, const QStringList& paths) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(2, 2), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    QDropEvent drop(QPointF(2, 2), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    return {enter.isAccepted(), drop.isAccepted()};
}

} // namespace testwindow
