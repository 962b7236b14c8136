// lumidot-render: the same core as the window (settings, font, renderer, rotation, writers, the scroll
// animation) without a window, for scripts and batch work.

#include "app/basCommon.h"
#include "board/DrawBoard.h"
#include "board/basFontListGet.h"
#include "board/fontface.h"
#include "board/rotation.h"
#include "dots/LoadDotImage.h"
#include "output/pngsetting.h"
#include "output/writeboard.h"
#include "platform/atomicfile.h"
#include "platform/errors.h"
#include "platform/failuretexts.h"
#include "platform/filetypes.h"
#include "platform/numbers.h"
#include "scroll/framesequence.h"
#include "scroll/writeanimation.h"
#include "ui/pictures.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <memory>
#include <new>
#include <optional>

#include <fcntl.h>
#include <unistd.h>

namespace {

using platform::ImageFormat;
using platform::Language;
using scroll::AnimationFormat;

constexpr int ExitFailed = 1; // the render or a write failed
constexpr int ExitUsage = 2;  // the command line itself is wrong, whatever the files and fonts

// A command line that cannot be carried out: exit status 2, with the usage hint.
struct UsageError {
    QString text;
};
// A render or a write that failed: exit status 1.
struct RenderError {
    QString text;
};

QString quoted(const QString& text) {
    return u'"' + text + u'"';
}

QString systemReason(int error) {
    return platform::systemReason(error, Language::English);
}

// Every OUTPUT extension, which is also a --format name: the still picture and the animation it can hold.
struct OutputType {
    const char* name;
    std::optional<ImageFormat> still;
    std::optional<AnimationFormat> animation;
    bool alwaysAnimated; // .gif and .webp imply --animate
};
const OutputType OutputTypes[] = {
    {"bmp", ImageFormat::Bmp, {}, false},
    {"jpg", ImageFormat::Jpeg, {}, false},
    {"png", ImageFormat::Png, AnimationFormat::Apng, false},
    {"gif", {}, AnimationFormat::Gif, true},
    {"webp", {}, AnimationFormat::WebP, true},
    // Without --animate, the bit patterns of the first frame only: a still sign for a panel.
    {"pbm", {}, AnimationFormat::Pbm, false},
    {"h", {}, AnimationFormat::CHeader, false},
};

const OutputType* outputTypeNamed(const QString& name) {
    for (const OutputType& type : OutputTypes)
        if (name.compare(QLatin1String(type.name), Qt::CaseInsensitive) == 0)
            return &type;
    return nullptr;
}

// The names of the output types that can hold an animation, or of all.
QString outputTypeNames(const QString& prefix, bool animatedOnly = false) {
    QStringList names;
    for (const OutputType& type : OutputTypes)
        if (type.animation || !animatedOnly)
            names << prefix + QLatin1String(type.name);
    const QString last = names.takeLast();
    return names.join(QStringLiteral(", ")) + QStringLiteral(" or ") + last;
}

// What one run writes.
enum class Writes {
    Board,      // the board in OUTPUT
    Frames,     // numbered files, one rotation apart
    Animation,  // the whole animation in OUTPUT
    FirstFrame, // the animation's first frame only (.pbm, .h)
};

// The command line, checked: every value in range, every option in a combination that makes sense.
// Nothing here looks at a file or a font; that comes with the render.
struct Request {
    std::optional<QString> message;
    std::optional<QString> messageFile;
    QString output; // "-" for standard output
    const OutputType* type = nullptr;
    Writes writes = Writes::Board;
    std::optional<int> frames; // the number of frame files, 0 for one cycle
    std::optional<QString> settingsFile;
    std::optional<QString> font;
    std::optional<float> size;
    bool italic = false;
    bool bold = false;
    std::optional<QString> lit;
    std::optional<QString> unlit;
    std::optional<int16_t> quality;
    bool progressive = false;
    std::optional<int16_t> pngSetting;
    std::optional<int> panel;
    std::optional<int> delay;
    std::optional<int> step;
    std::optional<int> loop;
    std::optional<scroll::Direction> direction;
};

double numberOption(const QCommandLineParser& parser, const QString& name, double lowest, double highest) {
    bool ok = false;
    const double value = parser.value(name).trimmed().toDouble(&ok); // C locale: scripts are portable
    if (!ok || !std::isfinite(value) || value < lowest || value > highest)
        throw UsageError{QStringLiteral("--%1 must be a number from %2 to %3, not %4")
                             .arg(name)
                             .arg(lowest)
                             .arg(highest)
                             .arg(quoted(parser.value(name)))};
    return value;
}

int wholeOption(const QCommandLineParser& parser, const QString& name, int lowest, int highest) {
    const double value = numberOption(parser, name, lowest, highest);
    if (value != int(value))
        throw UsageError{QStringLiteral("--%1 must be a whole number, not %2").arg(name, quoted(parser.value(name)))};
    return int(value);
}

template <typename T> std::optional<T> optional(const QCommandLineParser& parser, const char* name, const auto& read) {
    if (!parser.isSet(QLatin1String(name)))
        return std::nullopt;
    return T(read(QLatin1String(name)));
}

int16_t pngSettingOf(const QCommandLineParser& parser) {
    const bool byName = parser.isSet(QStringLiteral("png-compression"));
    if (byName && parser.isSet(QStringLiteral("png-setting")))
        throw UsageError{QStringLiteral("give --png-compression or --png-setting, not both")};
    if (!byName)
        return int16_t(wholeOption(parser, QStringLiteral("png-setting"), 0, 2));
    const QString name = parser.value(QStringLiteral("png-compression"));
    QStringList names;
    for (const output::PngSetting& setting : output::PngSettings) {
        if (name.compare(QLatin1String(setting.name), Qt::CaseInsensitive) == 0)
            return setting.stored;
        names << QLatin1String(setting.name);
    }
    throw UsageError{
        QStringLiteral("--png-compression must be %1, not %2").arg(names.join(QStringLiteral(", ")), quoted(name))};
}

Request requestOf(const QCommandLineParser& parser) {
    Request request;
    QStringList arguments = parser.positionalArguments();
    if (parser.isSet(QStringLiteral("message-file"))) {
        request.messageFile = parser.value(QStringLiteral("message-file"));
        if (arguments.size() != 1)
            throw UsageError{QStringLiteral("with --message-file, give OUTPUT only")};
    } else {
        if (arguments.size() != 2)
            throw UsageError{QStringLiteral("give MESSAGE and OUTPUT")};
        request.message = arguments.takeFirst();
    }
    request.output = arguments.first();

    const bool toStandardOutput = request.output == QLatin1String("-");
    if (parser.isSet(QStringLiteral("format")) && !toStandardOutput)
        throw UsageError{QStringLiteral("--format is for an OUTPUT of -; a file's extension tells its format")};
    if (toStandardOutput) {
        const QString format =
            parser.isSet(QStringLiteral("format")) ? parser.value(QStringLiteral("format")) : QStringLiteral("png");
        request.type = outputTypeNamed(format);
        if (!request.type)
            throw UsageError{QStringLiteral("--format must be %1, not %2").arg(outputTypeNames({}), quoted(format))};
    } else {
        request.type = outputTypeNamed(QFileInfo(request.output).suffix());
        if (!request.type)
            throw UsageError{QStringLiteral("the output file %1 must end in %2: that is how its format is told")
                                 .arg(quoted(request.output), outputTypeNames(QStringLiteral(".")))};
    }

    const bool animate = parser.isSet(QStringLiteral("animate")) || request.type->alwaysAnimated;
    if (animate && !request.type->animation)
        throw UsageError{QStringLiteral("an animation is written as %1, not as .%2")
                             .arg(outputTypeNames(QStringLiteral("."), true), QLatin1String(request.type->name))};
    if (parser.isSet(QStringLiteral("frames"))) {
        if (toStandardOutput)
            throw UsageError{QStringLiteral("--frames writes numbered files, not standard output")};
        if (animate || !request.type->still)
            throw UsageError{QStringLiteral("--frames writes numbered .bmp, .jpg or .png files; an animation in one "
                                            "file needs no --frames")};
        request.frames = parser.value(QStringLiteral("frames")) == QLatin1String("cycle")
                             ? 0
                             : wholeOption(parser, QStringLiteral("frames"), 1, 100000);
        request.writes = Writes::Frames;
    } else {
        request.writes = animate ? Writes::Animation : request.type->still ? Writes::Board : Writes::FirstFrame;
    }

    const auto text = [&](const QString& name) { return parser.value(name); };
    request.settingsFile = optional<QString>(parser, "settings", text);
    request.font = optional<QString>(parser, "font", text);
    request.size = optional<float>(parser, "size", [&](const QString& n) { return numberOption(parser, n, 1, 2048); });
    request.italic = parser.isSet(QStringLiteral("italic"));
    request.bold = parser.isSet(QStringLiteral("bold"));
    request.lit = optional<QString>(parser, "lit", text);
    request.unlit = optional<QString>(parser, "unlit", text);
    request.quality =
        optional<int16_t>(parser, "quality", [&](const QString& n) { return wholeOption(parser, n, 1, 100); });
    request.progressive = parser.isSet(QStringLiteral("progressive"));
    if (parser.isSet(QStringLiteral("png-compression")) || parser.isSet(QStringLiteral("png-setting")))
        request.pngSetting = pngSettingOf(parser);
    request.panel =
        optional<int>(parser, "panel", [&](const QString& n) { return wholeOption(parser, n, 0, INT16_MAX); });
    request.delay = optional<int>(parser, "delay", [&](const QString& n) {
        return wholeOption(parser, n, scroll::MinDelayMs, scroll::MaxDelayMs);
    });
    request.step =
        optional<int>(parser, "step", [&](const QString& n) { return wholeOption(parser, n, 1, INT16_MAX); });
    request.loop = optional<int>(parser, "loop",
                                 [&](const QString& n) { return wholeOption(parser, n, 0, scroll::MaxLoopCount); });
    if (parser.isSet(QStringLiteral("direction"))) {
        request.direction = scroll::directionNamed(parser.value(QStringLiteral("direction")));
        if (!request.direction)
            throw UsageError{QStringLiteral("--direction must be up, right, down or left, not %1")
                                 .arg(quoted(parser.value(QStringLiteral("direction"))))};
    }
    return request;
}

// The whole content of a file, or of standard input for "-".
QByteArray readWhole(const QString& fileName, const QString& what) {
    const bool standardInput = fileName == QLatin1String("-");
    const int descriptor =
        standardInput ? STDIN_FILENO : ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_CLOEXEC);
    const auto fail = [&](int error) {
        return RenderError{QStringLiteral("cannot read the %1 %2: %3")
                               .arg(what, standardInput ? QStringLiteral("from standard input") : quoted(fileName),
                                    systemReason(error))};
    };
    if (descriptor < 0)
        throw fail(errno);
    QByteArray bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(descriptor, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            const int error = errno;
            if (!standardInput)
                ::close(descriptor);
            throw fail(error);
        }
        if (got == 0)
            break;
        bytes.append(buffer, got);
    }
    if (!standardInput)
        ::close(descriptor);
    return bytes;
}

// The message of a message file: UTF-8 text, one final line break dropped (an editor's last line ends in one).
QString messageFrom(const QString& fileName) {
    const QByteArray bytes = readWhole(fileName, QStringLiteral("message file"));
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString message = decoder(bytes);
    if (decoder.hasError())
        throw RenderError{
            QStringLiteral("the message file %1 is not UTF-8 text")
                .arg(fileName == QLatin1String("-") ? QStringLiteral("on standard input") : quoted(fileName))};
    if (message.endsWith(QLatin1String("\r\n")))
        message.chop(2);
    else if (message.endsWith(u'\n'))
        message.chop(1);
    return message;
}

app::SettingsRecord settingsOf(const Request& request) {
    // Defaults come from the settings file when one is named, else the program's own; it is never written.
    if (request.settingsFile) {
        if (QFileInfo(*request.settingsFile).isDir())
            throw RenderError{QStringLiteral("the settings file %1 is a folder").arg(quoted(*request.settingsFile))};
        readWhole(*request.settingsFile, QStringLiteral("settings file")); // a missing file is not all defaults
    }
    const app::SettingsRecord settings = app::readSettings(request.settingsFile.value_or(QString()));
    // The writers take these in a byte; the window stores what a hand-edited file says.
    const std::pair<const char*, int16_t> byteValues[] = {{"[JPEG] Rate", settings.JpegRate},
                                                          {"[PNG] Rate", settings.PngRate}};
    for (const auto& [key, value] : byteValues)
        if (value < 0 || value > 255)
            throw RenderError{QStringLiteral("the settings file %1 has %2=%3, beyond 0 to 255")
                                  .arg(quoted(settings.IniPath), QLatin1String(key))
                                  .arg(value)};
    return settings;
}

// Whether face names a face that the window lists (in any case, with or without its foundry), or a Windows
// face registered as a substitution for one that is installed.
bool faceInstalled(const QString& face) {
    QStringList listed;
    board::GetFontList(listed);
    const QStringList wanted = QStringList{face} + QFont::substitutes(face);
    for (const QString& family : listed) {
        const QString withoutFoundry = family.left(family.indexOf(QLatin1String(" [")));
        for (const QString& name : wanted)
            if (name.compare(family, Qt::CaseInsensitive) == 0 ||
                name.compare(withoutFoundry, Qt::CaseInsensitive) == 0)
                return true;
    }
    return false;
}

void loadDot(board::BoardState& state, const QString& fileName, int16_t index) {
    const QString which = index == 0 ? QStringLiteral("lit") : QStringLiteral("unlit");
    if (!QFileInfo(fileName).isFile())
        throw RenderError{QStringLiteral("the %1 dot image %2 does not exist").arg(which, quoted(fileName))};
    if (dots::LoadDotImage(state, fileName, index) != 0)
        throw RenderError{QStringLiteral("the %1 dot image %2 cannot be read as a BMP, ICO, JPEG, GIF or PNG image")
                              .arg(which, quoted(fileName))};
}

// The board the window shows for message in the end. The window's mask starts at its laid-out size and
// cuts a longer message at the first render; from the second render on it is as large as the board, so
// the message shows whole. A mask of the message's own size gives that board in one pass.
board::BoardState renderedBoard(const QString& message, const app::SettingsRecord& settings, const Request& request) {
    board::BoardState state(ui::builtinLitDot(), ui::builtinUnlitDot(), QSize(), QSize());
    const float points = request.size.value_or(settings.FontSize);
    board::applyFont(state, request.font.value_or(settings.FontName), platform::formatSingle(points),
                     request.italic || settings.Italic != 0, request.bold || settings.Tick != 0);
    if (request.lit)
        loadDot(state, *request.lit, 0);
    if (request.unlit)
        loadDot(state, *request.unlit, 1);
    state.SizeMongon.setCaption(message);
    state.TempPic.resize(state.SizeMongon.Width(), state.SizeMongon.Height());
    board::DrawBoard(state, message);
    return state;
}

// Where the picture goes: OUTPUT itself, or for "-" a file in a private temporary folder that is then
// copied to standard output (the writers replace regular files only, never a pipe or a terminal).
class Target {
public:
    Target(const QString& output, const OutputType& type) : m_fileName(output) {
        if (output != QLatin1String("-"))
            return;
        m_folder = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/lumidot-render-XXXXXX"));
        if (!m_folder->isValid())
            throw RenderError{QStringLiteral("cannot make a temporary folder in %1 for standard output: %2")
                                  .arg(quoted(QDir::tempPath()), m_folder->errorString())};
        m_fileName = m_folder->filePath(QStringLiteral("standard-output.") + QLatin1String(type.name));
    }

    const QString& fileName() const { return m_fileName; }

    // Copies a picture written for standard output there. The file and its folder are removed as soon as
    // the file is open, so an interrupted copy leaves nothing behind.
    void deliver() {
        if (!m_folder)
            return;
        const int descriptor = ::open(QFile::encodeName(m_fileName).constData(), O_RDONLY | O_CLOEXEC);
        const int openError = errno;
        m_folder.reset();
        if (descriptor < 0)
            throw RenderError{
                QStringLiteral("cannot read %1 again: %2").arg(quoted(m_fileName), systemReason(openError))};
        char buffer[65536];
        int error = 0;
        for (ssize_t got; error == 0 && (got = ::read(descriptor, buffer, sizeof buffer)) != 0;) {
            if (got < 0) {
                error = errno == EINTR ? 0 : errno;
                continue;
            }
            for (ssize_t at = 0; error == 0 && at < got;) {
                const ssize_t put = ::write(STDOUT_FILENO, buffer + at, size_t(got - at));
                if (put >= 0)
                    at += put;
                else if (errno != EINTR)
                    error = errno;
            }
        }
        ::close(descriptor);
        if (error != 0)
            throw RenderError{QStringLiteral("cannot write to standard output: %1").arg(systemReason(error))};
    }

private:
    QString m_fileName;
    std::unique_ptr<QTemporaryDir> m_folder;
};

// A failed write, in English, naming the file.
RenderError writeFailure(const platform::Result& result) {
    return RenderError{platform::failureText(result, Language::English)};
}

// Whether the animation settings suit the sign: a step that does not divide the cycle is a bad value of
// the command line (or the settings file); a board without cells or too large a frame is a failed render.
void check(const scroll::Sign& sign, const scroll::AnimationSettings& animation, const QString& output) {
    platform::Result checked = scroll::checkSettings(sign, animation);
    if (checked.ok())
        return;
    checked.file = output;
    if (checked.failure == platform::Failure::BadAnimationSetting)
        throw UsageError{platform::failureText(checked, Language::English)};
    throw writeFailure(checked);
}

board::RotationDirection rotationOf(scroll::Direction direction) {
    switch (direction) {
    case scroll::Direction::Up:
        return board::RotateUp;
    case scroll::Direction::Right:
        return board::RotateRight;
    case scroll::Direction::Down:
        return board::RotateDown;
    case scroll::Direction::Left:
        break;
    }
    return board::RotateLeft;
}

// frame-07.png for frame 7 of up to 99 frames of frame.png.
QString frameName(const QString& output, int frame, int frames) {
    const int digits = QString::number(frames).size();
    const QString number = QStringLiteral("%1").arg(frame, digits, 10, QLatin1Char('0'));
    const qsizetype dot = output.lastIndexOf(u'.');
    return output.left(dot) + QLatin1Char('-') + number + output.mid(dot);
}

// Numbered files of the whole board, each animation.step one-cell rotations after the one before, as the
// window's arrows turn it. A board narrower than the panel is first widened with unlit cells as the
// animation widens it, so that frame k cut to the panel is the animation's frame k.
void writeFrames(board::BoardState& state, const scroll::AnimationSettings& animation, int frames,
                 const QString& output, ImageFormat format, const output::SaveOptions& options) {
    const scroll::Sign sign{state.Cells, state.CellPictures[0], state.CellPictures[1]};
    if (scroll::panelColumnsOf(sign.cells, animation) > sign.cells.columns) {
        scroll::AnimationSettings oneStep = animation;
        oneStep.step = 1;
        const scroll::FrameSequence widened(sign, oneStep);
        QImage picture;
        if (!widened.drawFrame(0, picture))
            throw RenderError{
                QStringLiteral("cannot widen the board to the panel for %1: %2")
                    .arg(quoted(output), platform::errorDescription(platform::ErrOutOfMemory, Language::English))};
        state.Board.setPicture(picture);
        state.Cells = widened.panelCells(0);
    }
    if (frames == 0)
        frames = scroll::cycleOf(sign.cells, animation) / animation.step;
    for (int frame = 1; frame <= frames; ++frame) {
        for (int turn = 0; frame > 1 && turn < animation.step; ++turn)
            board::rotateBoard(state, rotationOf(animation.direction));
        const QString fileName = frameName(output, frame, frames);
        if (const platform::Result written = output::writeBoard(state.Board, fileName, format, options); !written.ok())
            throw RenderError{writeFailure(written).text +
                              QStringLiteral(" (%1 of %2 frames were written)").arg(frame - 1).arg(frames)};
    }
}

void run(const Request& request) {
    const app::SettingsRecord settings = settingsOf(request);
    const QString message = request.messageFile ? messageFrom(*request.messageFile) : *request.message;
    if (request.font && !faceInstalled(*request.font))
        throw RenderError{QStringLiteral("the font %1 is not installed (lumidot-render --list-fonts lists the faces)")
                              .arg(quoted(*request.font))};
    const QString shownOutput =
        request.output == QLatin1String("-") ? QStringLiteral("standard output") : request.output;

    board::BoardState state = [&] {
        try {
            return renderedBoard(message, settings, request);
        } catch (const platform::RuntimeError& error) {
            throw RenderError{
                QStringLiteral("cannot render the board for %1: %2 (run-time error %3)")
                    .arg(quoted(shownOutput), platform::errorDescription(error.number(), Language::English))
                    .arg(error.number())};
        }
    }();

    output::SaveOptions options = app::saveOptionsOf(settings);
    options.jpegRate = request.quality.value_or(options.jpegRate);
    options.progressiveJpeg = request.progressive || options.progressiveJpeg;
    options.pngRate = request.pngSetting.value_or(options.pngRate);
    scroll::AnimationSettings animation = app::animationSettingsOf(settings);
    animation.panelColumns = request.panel.value_or(animation.panelColumns);
    animation.delayMs = request.delay.value_or(animation.delayMs);
    animation.step = request.step.value_or(animation.step);
    animation.loopCount = request.loop.value_or(animation.loopCount);
    animation.direction = request.direction.value_or(animation.direction);
    const scroll::Sign sign{state.Cells, state.CellPictures[0], state.CellPictures[1]};

    Target target(request.output, *request.type);
    switch (request.writes) {
    case Writes::Board:
        if (const platform::Result written =
                output::writeBoard(state.Board, target.fileName(), *request.type->still, options);
            !written.ok())
            throw writeFailure(written);
        break;
    case Writes::Frames:
        check(sign, animation, shownOutput);
        writeFrames(state, animation, *request.frames, request.output, *request.type->still, options);
        break;
    case Writes::FirstFrame:
        animation.step = scroll::cycleOf(sign.cells, animation); // one step brings the board round: one frame
        [[fallthrough]];
    case Writes::Animation:
        check(sign, animation, shownOutput);
        if (const platform::Result written =
                scroll::writeAnimation(sign, animation, target.fileName(), *request.type->animation);
            !written.ok())
            throw writeFailure(written);
        break;
    }
    target.deliver();
}

// Qt's own warnings (no desktop session, no runtime folder) say nothing about the render: only what stops
// Qt reaches the user.
void reportQtFailuresOnly(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "lumidot-render: %s\n", text.toUtf8().constData());
}

void addOptions(QCommandLineParser& parser) {
    // The help states the program's own defaults, as the settings table has them.
    const app::SettingsRecord defaults = app::readSettings(QString());
    const scroll::AnimationSettings animation = app::animationSettingsOf(defaults);
    QString pngDefault;
    for (const output::PngSetting& setting : output::PngSettings)
        if (setting.stored == defaults.PngRate)
            pngDefault = QLatin1String(setting.name);
    const auto fromSettings = [](const QString& key, const QString& value) {
        return QStringLiteral("default: the settings file's %1, else %2").arg(key, value);
    };
    parser.addOptions({
        {QStringLiteral("message-file"),
         QStringLiteral("read the message from FILE (UTF-8; - for standard input; one final line break dropped) "
                        "instead of MESSAGE"),
         QStringLiteral("FILE")},
        {QStringLiteral("font"),
         QStringLiteral("font face, one that --list-fonts lists or a Windows face name with an installed stand-in; ") +
             fromSettings(QStringLiteral("[Font] Name"), defaults.FontName),
         QStringLiteral("FACE")},
        {QStringLiteral("size"),
         QStringLiteral("font size in points, 1 to 2048; ") +
             fromSettings(QStringLiteral("[Font] Size"), QString::number(defaults.FontSize)),
         QStringLiteral("POINTS")},
        {QStringLiteral("italic"),
         QStringLiteral("italic; ") + fromSettings(QStringLiteral("[Font] Italic"), QStringLiteral("upright"))},
        {QStringLiteral("bold"),
         QStringLiteral("bold; ") + fromSettings(QStringLiteral("[Font] Tick"), QStringLiteral("regular"))},
        {QStringLiteral("list-fonts"), QStringLiteral("print the faces the window lists, one a line, and exit")},
        {QStringLiteral("lit"), QStringLiteral("lit dot image (BMP, ICO, JPEG, GIF or PNG); default: the built-in dot"),
         QStringLiteral("FILE")},
        {QStringLiteral("unlit"), QStringLiteral("unlit dot image; default: the built-in dot"), QStringLiteral("FILE")},
        {QStringLiteral("format"),
         QStringLiteral("format of an OUTPUT of -: %1; default: png").arg(outputTypeNames({})),
         QStringLiteral("FORMAT")},
        {QStringLiteral("quality"),
         QStringLiteral("JPEG quality, 1 to 100; ") +
             fromSettings(QStringLiteral("[JPEG] Rate"), QString::number(defaults.JpegRate)),
         QStringLiteral("N")},
        {QStringLiteral("progressive"), QStringLiteral("progressive JPEG; ") +
                                            fromSettings(QStringLiteral("[JPEG] Prgrs"), QStringLiteral("baseline"))},
        {QStringLiteral("png-compression"),
         QStringLiteral("PNG compression: fast, default or small; ") +
             fromSettings(QStringLiteral("[PNG] Rate"), pngDefault),
         QStringLiteral("LEVEL")},
        {QStringLiteral("png-setting"),
         QStringLiteral("the same in the settings file's numbers: 1 fast, 0 default, 2 small"), QStringLiteral("N")},
        {QStringLiteral("settings"),
         QStringLiteral("settings file to take the defaults from (never written); default: none, the program's own "
                        "defaults"),
         QStringLiteral("FILE")},
        {QStringLiteral("frames"),
         QStringLiteral("write N numbered files (cycle: one whole cycle), each one step of rotation after the one "
                        "before; default: one file"),
         QStringLiteral("N|cycle")},
        {QStringLiteral("direction"),
         QStringLiteral("rotation of --frames and the animation: up, right, down or left; ") +
             fromSettings(QStringLiteral("[Animation] Direction"),
                          scroll::directionName(animation.direction).toLower()),
         QStringLiteral("DIR")},
        {QStringLiteral("animate"),
         QStringLiteral("write the scrolling sign as one animated .gif, .webp, .png (APNG), .pbm or .h file; a .gif "
                        "or .webp OUTPUT implies it")},
        {QStringLiteral("panel"),
         QStringLiteral("panel width in cells, 0 for the whole board; a narrower board is widened with unlit cells; ") +
             fromSettings(QStringLiteral("[Animation] Panel"), QString::number(animation.panelColumns)),
         QStringLiteral("COLS")},
        {QStringLiteral("delay"),
         QStringLiteral("how long each frame shows, %1 to %2 ms; ").arg(scroll::MinDelayMs).arg(scroll::MaxDelayMs) +
             fromSettings(QStringLiteral("[Animation] Delay"), QString::number(animation.delayMs)),
         QStringLiteral("MS")},
        {QStringLiteral("step"),
         QStringLiteral("cells per frame, a divisor of the cycle; ") +
             fromSettings(QStringLiteral("[Animation] Step"), QString::number(animation.step)),
         QStringLiteral("N")},
        {QStringLiteral("loop"),
         QStringLiteral("how many times the animation plays, 0 to %1; default: 0, forever").arg(scroll::MaxLoopCount),
         QStringLiteral("N")},
    });
}

constexpr char Description[] =
    "Renders MESSAGE as a dot-matrix board into OUTPUT, as Lumidot's window does. The extension of OUTPUT tells\n"
    "the format: .bmp, .jpg or .png for the board; .gif, .webp, .png (with --animate), .pbm or .h for the\n"
    "scrolling sign. Without --animate, .pbm and .h hold the panel's first frame only. An OUTPUT of - writes\n"
    "to standard output in the --format given.\n"
    "\n"
    "Frame files are named after OUTPUT with the frame number before the extension, zero-padded to the\n"
    "digits of the frame count: --frames 40 sign.png writes sign-01.png to sign-40.png, --frames 9 writes\n"
    "sign-1.png to sign-9.png.\n"
    "\n"
    "Exit status: 0 success (nothing is printed), 1 a failed render or write, 2 a usage error.";

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

    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions); // "-platform" is one unknown option
    parser.setApplicationDescription(QLatin1String(Description));
    // Not addHelpOption(): its --help-all offers Qt's own options, which this program does not take.
    parser.addOption({{QStringLiteral("h"), QStringLiteral("help")},
                      QStringLiteral("print the options with their defaults and exit")});
    parser.addOption({{QStringLiteral("v"), QStringLiteral("version")}, QStringLiteral("print the version and exit")});
    parser.addPositionalArgument(QStringLiteral("MESSAGE"),
                                 QStringLiteral("the message to render (not with --message-file)"));
    parser.addPositionalArgument(QStringLiteral("OUTPUT"),
                                 QStringLiteral("the file to write, or - for standard output"));
    addOptions(parser);

    const auto usageError = [](const QString& text) {
        std::fprintf(stderr, "lumidot-render: %s\nTry 'lumidot-render --help'.\n", text.toUtf8().constData());
        return ExitUsage;
    };
    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    if (parser.isSet(QStringLiteral("version"))) {
        std::printf("lumidot-render %s\n", LUMIDOT_VERSION);
        return 0;
    }
    if (parser.isSet(QStringLiteral("list-fonts"))) {
        if (!parser.positionalArguments().isEmpty())
            return usageError(QStringLiteral("--list-fonts takes no MESSAGE or OUTPUT"));
        QStringList faces;
        board::GetFontList(faces);
        for (const QString& face : faces)
            std::printf("%s\n", face.toUtf8().constData());
        return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : ExitFailed;
    }

    QString failure;
    try {
        run(requestOf(parser));
        return 0;
    } catch (const UsageError& error) {
        return usageError(error.text);
    } catch (const RenderError& error) {
        failure = error.text;
    } catch (const app::SettingsError& error) {
        failure = QStringLiteral("the settings file %1 cannot be used: the value %2 of [%3] %4 cannot be read (%5)")
                      .arg(quoted(error.file()), quoted(error.value()), error.section(), error.key(),
                           platform::errorDescription(error.number(), Language::English));
    } catch (const platform::RuntimeError& error) {
        failure = QStringLiteral("run-time error %1: %2")
                      .arg(error.number())
                      .arg(platform::errorDescription(error.number(), Language::English));
    } catch (const std::bad_alloc&) {
        failure = platform::errorDescription(platform::ErrOutOfMemory, Language::English);
    }
    std::fprintf(stderr, "lumidot-render: %s\n", failure.toUtf8().constData());
    return ExitFailed;
}
