#include "app/basCommon.h"
#include "board/fontface.h"
#include "platform/errors.h"
#include "platform/messagebox.h"
#include "ui/filedialogs.h"
#include "app/frmMain.h"
#include "ui/messageboxes.h"
#include "ui/pictures.h"
#include "ui/translations.h"

#include <QApplication>

#include <cstdio>

namespace {

// Start-up: the settings are loaded and at once written back, then the main window opens. A setting
// that cannot be read stops the program before anything is written or any window exists.
int Main(QApplication& application) {
    try {
        app::LoadSettings();
    } catch (const platform::RuntimeError& error) {
        const QString text = platform::errorReportText(error);
        std::fprintf(stderr, "lumidot: %s\n", qPrintable(text));
        if (ui::displayAvailable())
            platform::MsgBox(text, platform::MsgCritical, QStringLiteral("Lumidot"));
        return 1;
    }
    app::SaveSettings();

    app::frmMain window;
    window.Form_Load();
    window.show();
    return application.exec();
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lumidot"));
    QApplication::setDesktopFileName(QStringLiteral("io.github.lumidot.Lumidot"));
    QApplication::setWindowIcon(ui::windowIcon());
    ui::installJapaneseTranslations(application);
    if (ui::displayAvailable()) { // headless, questions are answered No and dialogs count as cancelled
        ui::installMessageBoxes();
        ui::installFileDialogs();
    }
    board::registerJapaneseFaceSubstitutions();
    return Main(application);
}
