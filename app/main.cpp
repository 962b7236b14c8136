#include "app/basCommon.h"
#include "board/fontface.h"
#include "platform/errors.h"
#include "platform/messagebox.h"
#include "ui/filedialogs.h"
#include "app/frmMain.h"
#include "ui/messageboxes.h"
#include "ui/numberinput.h"
#include "ui/pictures.h"
#include "ui/translations.h"

#include <QApplication>
#include <QStringList>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr char Help[] =
    "Usage: lumidot [--help | --version]\n"
    "\n"
    "Opens Lumidot's window, in which a typed message becomes the picture of an electric dot-matrix\n"
    "signboard; its interface is Japanese. lumidot-render makes the same pictures without a window.\n"
    "\n"
    "Options:\n"
    "  -h, --help     print this help and exit\n"
    "  -v, --version  print the version and exit\n"
    "\n"
    "Exit status: 0 when the window is closed, 1 when a setting cannot be read at start-up or there is\n"
    "no display to open the window on.\n";

bool given(int argc, char** argv, const char* shortName, const char* longName) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], shortName) == 0 || std::strcmp(argv[i], longName) == 0)
            return true;
    return false;
}

// Without a display Qt ends the process itself (abort, status 134) after a page about platform plugins.
// While the application object is being made, Qt's messages are held back: that end becomes one line
// and status 1, and what was held is shown once the application stands.
QStringList& heldMessages() {
    static QStringList held;
    return held;
}

// Why no window can open, in a few words.
QByteArray noWindowReason() {
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM"), x11 = qgetenv("DISPLAY"),
                     wayland = qgetenv("WAYLAND_DISPLAY");
    if (!platform.isEmpty() && !platform.startsWith("xcb") && !platform.startsWith("wayland"))
        return "Qt's platform \"" + platform + "\" cannot be started";
    if (x11.isEmpty() && wayland.isEmpty())
        return "no display (DISPLAY is not set)";
    return "the display " + (wayland.isEmpty() ? x11 : wayland) + " cannot be reached";
}

void holdStartupMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type != QtFatalMsg) {
        heldMessages() << qFormatLogMessage(type, context, text);
        return;
    }
    std::fprintf(stderr, "lumidot: cannot open the window: %s\n", noWindowReason().constData());
    std::_Exit(1); // Qt would abort once this returns; nothing has been read or written yet
}

void showHeldMessages() {
    qInstallMessageHandler(nullptr);
    for (const QString& message : heldMessages())
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    heldMessages().clear();
}

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
    // Help and the version need no display.
    const bool help = given(argc, argv, "-h", "--help");
    if (help || given(argc, argv, "-v", "--version")) {
        if (help)
            std::fputs(Help, stdout);
        else
            std::printf("lumidot %s\n", LUMIDOT_VERSION);
        return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1; // a full disk is no success
    }

    qInstallMessageHandler(holdStartupMessage);
    QApplication application(argc, argv);
    showHeldMessages();
    QApplication::setApplicationName(QStringLiteral("Lumidot"));
    QApplication::setDesktopFileName(QStringLiteral("io.github.lumidot.Lumidot"));
    QApplication::setWindowIcon(ui::windowIcon());
    ui::installJapaneseTranslations(application);
    if (ui::displayAvailable()) { // headless, questions are answered No and dialogs count as cancelled
        ui::installMessageBoxes();
        ui::installFileDialogs();
        ui::installNumberInput();
    }
    board::registerJapaneseFaceSubstitutions();
    return Main(application);
}
