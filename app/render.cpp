// lumidot-render: the same core as the window (settings, font, renderer, rotation, writers) without a
// window, for scripts and batch work.

#include "app/basCommon.h"
#include "platform/atomicfile.h"
#include "board/DrawBoard.h"
#include "board/fontface.h"
#include "board/rotation.h"
#include "dots/LoadDotImage.h"
#include "output/writeboard.h"
#include "platform/errors.h"
#include "platform/failuretexts.h"
#include "platform/filetypes.h"
#include "platform/numbers.h"
#include "ui/pictures.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QGuiApplication>

#include <cmath>
#include <cstdio>
#include <optional>

namespace {

// A failure the user can act on; main prints it and exits with status 1.
struct RenderError {
    QString text;
};

double numberOption(const QCommandLineParser& parser, const QString& name, double lowest, double highest) {
    bool ok = false;
    const double value = parser.value(name).trimmed().toDouble(&ok); // C locale: scripts are portable
    if (!ok || !std::isfinite(value) || value < lowest || value > highest)
        throw RenderError{QStringLiteral("--%1 must be a number from %2 to %3, not \"%4\"")
                              .arg(name)
                              .arg(lowest)
                              .arg(highest)
                              .arg(parser.value(name))};
    return value;
}

int wholeOption(const QCommandLineParser& parser, const QString& name, int lowest, int highest) {
    const double value = numberOption(parser, name, lowest, highest);
    if (value != int(value))
        throw RenderError{QStringLiteral("--%1 must be a whole number, not \"%2\"").arg(name, parser.value(name))};
    return int(value);
}

int16_t directionNamed(const QString& name) {
    const QStringList names = {QStringLiteral("up"), QStringLiteral("right"), QStringLiteral("down"),
                               QStringLiteral("left")};
    const qsizetype index = names.indexOf(name.toLower());
    if (index < 0)
        throw RenderError{QStringLiteral("--direction must be up, right, down or left, not \"%1\"").arg(name)};
    return int16_t(index);
}

void loadDot(board::BoardState& state, const QString& fileName, int16_t index) {
    const QString which = index == 0 ? QStringLiteral("lit") : QStringLiteral("unlit");
    if (!QFileInfo(fileName).isFile())
        throw RenderError{QStringLiteral("the %1 dot image \"%2\" does not exist").arg(which, fileName)};
    if (dots::LoadDotImage(state, fileName, index) != 0)
        throw RenderError{QStringLiteral("the %1 dot image \"%2\" cannot be read as a BMP, ICO, JPEG, GIF or PNG image")
                              .arg(which, fileName)};
}

// frame-07.png for frame 7 of up to 99 frames of frame.png.
QString frameName(const QString& output, int frame, int frames) {
    const int digits = QString::number(frames).size();
    const QString number = QStringLiteral("%1").arg(frame, digits, 10, QLatin1Char('0'));
    const qsizetype dot = output.size() - 4;
    return output.left(dot) + QLatin1Char('-') + number + output.mid(dot);
}

// The board the window shows for message in the end. The window's mask starts at its laid-out size and
// cuts a longer message at the first render; from the second render on it is as large as the board, so
// the message shows whole. A mask of the message's own size gives that board in one pass.
board::BoardState renderedBoard(const QString& message, const QString& face, float points, bool italic, bool bold,
                                const QCommandLineParser& parser) {
    board::BoardState state(ui::builtinLitDot(), ui::builtinUnlitDot(), QSize(), QSize());
    board::applyFont(state, face, platform::formatSingle(points), italic, bold);
    if (parser.isSet(QStringLiteral("lit")))
        loadDot(state, parser.value(QStringLiteral("lit")), 0);
    if (parser.isSet(QStringLiteral("unlit")))
        loadDot(state, parser.value(QStringLiteral("unlit")), 1);
    state.SizeMongon.setCaption(message);
    state.TempPic.resize(state.SizeMongon.Width(), state.SizeMongon.Height());
    board::DrawBoard(state, message);
    return state;
}

int run(const QCommandLineParser& parser) {
    const QStringList arguments = parser.positionalArguments();
    if (arguments.size() != 2)
        throw RenderError{QStringLiteral("give the message and the output file (see --help)")};
    const QString& message = arguments[0];
    const QString& output = arguments[1];
    const auto format = platform::boardFormatNamed(output);
    if (!format)
        throw RenderError{
            QStringLiteral("the output file \"%1\" must end in .bmp, .jpg or .png: that is how its format is told")
                .arg(output)};

    // Defaults come from the settings file when one is named, else the program's own; it is never written.
    const QString settingsFile = parser.value(QStringLiteral("settings"));
    if (!settingsFile.isEmpty() && !QFileInfo(settingsFile).isFile())
        throw RenderError{QStringLiteral("the settings file \"%1\" does not exist").arg(settingsFile)};
    const app::SettingsRecord settings = app::readSettings(settingsFile);

    const QString face =
        parser.isSet(QStringLiteral("font")) ? parser.value(QStringLiteral("font")) : settings.FontName;
    const float points = parser.isSet(QStringLiteral("size"))
                             ? float(numberOption(parser, QStringLiteral("size"), 1, 2048))
                             : settings.FontSize;
    const bool italic = parser.isSet(QStringLiteral("italic")) || settings.Italic != 0;
    const bool bold = parser.isSet(QStringLiteral("bold")) || settings.Tick != 0;
    output::SaveOptions options = app::saveOptionsOf(settings);
    if (parser.isSet(QStringLiteral("quality")))
        options.jpegRate = int16_t(wholeOption(parser, QStringLiteral("quality"), 1, 100));
    if (parser.isSet(QStringLiteral("progressive")))
        options.progressiveJpeg = true;
    if (parser.isSet(QStringLiteral("png-setting")))
        options.pngRate = int16_t(wholeOption(parser, QStringLiteral("png-setting"), 0, 2));
    const int frames =
        parser.isSet(QStringLiteral("frames")) ? wholeOption(parser, QStringLiteral("frames"), 1, 100000) : 1;
    const int16_t direction = directionNamed(parser.value(QStringLiteral("direction")));

    board::BoardState state = renderedBoard(message, face, points, italic, bold, parser);
    for (int frame = 1; frame <= frames; ++frame) {
        if (frame > 1)
            board::rotateBoard(state, direction);
        const QString fileName = frames == 1 ? output : frameName(output, frame, frames);
        if (const platform::Result written = output::writeBoard(state.Board, fileName, *format, options);
            !written.ok()) {
            QString text = platform::failureText(written, platform::Language::English);
            if (frames > 1)
                text += QStringLiteral(" (%1 of %2 frames were written)").arg(frame - 1).arg(frames);
            throw RenderError{text};
        }
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen"); // no window: fonts and images need no display
    QGuiApplication application(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("lumidot-render"));
    platform::removeTemporaryFilesOnSignals(); // an interrupted run leaves no half-written file behind
    board::registerJapaneseFaceSubstitutions();

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Renders MESSAGE as a dot-matrix board into OUTPUT (.bmp, .jpg or .png), as Lumidot's window does."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("MESSAGE"), QStringLiteral("the message to render"));
    parser.addPositionalArgument(QStringLiteral("OUTPUT"), QStringLiteral("the image file to write"));
    parser.addOptions({
        {QStringLiteral("font"), QStringLiteral("font face (default: the settings' face)"), QStringLiteral("FACE")},
        {QStringLiteral("size"), QStringLiteral("font size in points (default: the settings' size)"),
         QStringLiteral("POINTS")},
        {QStringLiteral("italic"), QStringLiteral("italic")},
        {QStringLiteral("bold"), QStringLiteral("bold")},
        {QStringLiteral("lit"), QStringLiteral("lit dot image file (default: the built-in dot)"),
         QStringLiteral("FILE")},
        {QStringLiteral("unlit"), QStringLiteral("unlit dot image file (default: the built-in dot)"),
         QStringLiteral("FILE")},
        {QStringLiteral("quality"), QStringLiteral("JPEG quality, 1 to 100"), QStringLiteral("N")},
        {QStringLiteral("progressive"), QStringLiteral("progressive JPEG")},
        {QStringLiteral("png-setting"), QStringLiteral("PNG setting: 1 fastest, 0 default, 2 smallest"),
         QStringLiteral("N")},
        {QStringLiteral("settings"), QStringLiteral("settings file to take the defaults from (never written)"),
         QStringLiteral("FILE")},
        {QStringLiteral("frames"), QStringLiteral("write N numbered files, one per one-cell rotation"),
         QStringLiteral("N")},
        {QStringLiteral("direction"), QStringLiteral("rotation of --frames: up, right, down or left"),
         QStringLiteral("DIR"), QStringLiteral("left")},
    });
    if (!parser.parse(QCoreApplication::arguments())) {
        std::fprintf(stderr, "lumidot-render: %s\n", qPrintable(parser.errorText()));
        return 2;
    }
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);

    try {
        return run(parser);
    } catch (const RenderError& error) {
        std::fprintf(stderr, "lumidot-render: %s\n", qPrintable(error.text));
    } catch (const platform::RuntimeError& error) {
        std::fprintf(stderr, "lumidot-render: %s\n", qPrintable(platform::errorReportText(error)));
    }
    return 1;
}
