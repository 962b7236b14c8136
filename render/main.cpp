// lumidot-render: the same core as the window (settings, font, renderer, rotation, writers, the scroll
// animation) without a window, for scripts and batch work.

#include "app/basCommon.h"
#include "board/basFontListGet.h"
#include "board/fontface.h"
#include "dotfont/facelibrary.h"
#include "platform/atomicfile.h"
#include "platform/errors.h"
#include "platform/failuretexts.h"
#include "render/job.h"
#include "render/options.h"

#include <QCommandLineParser>
#include <QDir>
#include <QGuiApplication>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <exception>
#include <new>

namespace {

using platform::Language;

// Qt's own warnings (no desktop session, no runtime folder) say nothing about the render: only what stops
// Qt reaches the user.
void reportQtFailuresOnly(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "lumidot-render: %s\n", text.toUtf8().constData());
}

void say(const QString& text) {
    std::fprintf(stderr, "lumidot-render: %s\n", text.toUtf8().constData());
}

int usageError(const QString& text) {
    std::fprintf(stderr, "lumidot-render: %s\nTry 'lumidot-render --help'.\n", text.toUtf8().constData());
    return render::ExitUsage;
}

int printLines(const QStringList& lines) {
    for (const QString& line : lines)
        std::printf("%s\n", line.toUtf8().constData());
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : render::ExitFailed;
}

int run(const QStringList& arguments) {
    QCommandLineParser parser;
    render::addOptions(parser);
    const render::Command command = render::parseCommandLine(parser, arguments);
    switch (command.kind) {
    case render::Command::Kind::Help:
        parser.showHelp(0);
    case render::Command::Kind::Version:
        std::printf("lumidot-render %s\n", LUMIDOT_VERSION);
        return 0;
    case render::Command::Kind::ListFonts: {
        QStringList faces;
        board::GetFontList(faces);
        return printLines(faces);
    }
    case render::Command::Kind::ListDotFonts:
        return printLines(
            dotfont::FaceLibrary::discover(dotfont::FaceLibrary::systemFontFolders(QDir::homePath())).dotFaceList());
    case render::Command::Kind::Render:
        break;
    }
    render::run(command.request, say);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    qInstallMessageHandler(reportQtFailuresOnly);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen"); // no window: fonts and images need no display
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    // Qt's own options (-platform, -reverse, ...) are not this program's: a message may be "-reverse".
    int qtArgumentCount = std::min(argc, 1);
    QGuiApplication application(qtArgumentCount, argv);
    QGuiApplication::setApplicationName(QStringLiteral("lumidot-render"));
    platform::removeTemporaryFilesOnSignals(); // an interrupted run leaves no half-written file behind
    std::signal(SIGPIPE, SIG_IGN);             // a closed pipe is a failed write that is reported, not a kill
    board::registerJapaneseFaceSubstitutions();

    // Every way a run can fail ends here as a message and a status, never as an uncaught exception.
    QString failure;
    try {
        return run(arguments);
    } catch (const render::UsageError& error) {
        return usageError(error.text);
    } catch (const render::RenderError& error) {
        failure = error.text;
    } catch (const app::SettingsError& error) {
        failure = QStringLiteral("the settings file \"%1\" cannot be used: the value \"%2\" of [%3] %4 cannot be read "
                                 "(%5)")
                      .arg(error.file(), error.value(), error.section(), error.key(),
                           platform::errorDescription(error.number(), Language::English));
    } catch (const platform::RuntimeError& error) {
        failure = QStringLiteral("run-time error %1: %2")
                      .arg(error.number())
                      .arg(platform::errorDescription(error.number(), Language::English));
    } catch (const std::bad_alloc&) {
        failure = platform::errorDescription(platform::ErrOutOfMemory, Language::English);
    } catch (const std::exception& error) {
        failure = QStringLiteral("an unexpected failure: %1").arg(QString::fromLocal8Bit(error.what()));
    }
    say(failure);
    return render::ExitFailed;
}
