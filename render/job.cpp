#include "render/job.h"

#include "app/basCommon.h"
#include "board/DrawBoard.h"
#include "board/cellrows.h"
#include "board/fontface.h"
#include "board/missingglyphs.h"
#include "board/panelmask.h"
#include "dotfont/facelibrary.h"
#include "dots/LoadDotImage.h"
#include "dots/colourmarks.h"
#include "output/writeboard.h"
#include "platform/errors.h"
#include "platform/failuretexts.h"
#include "platform/numbers.h"
#include "platform/profile.h"
#include "platform/wholefile.h"
#include "render/target.h"
#include "scroll/framesequence.h"
#include "scroll/writeanimation.h"
#include "ui/pictures.h"

#include <QDir>
#include <QFileInfo>
#include <QStringDecoder>

#include <unistd.h>

namespace render {

namespace {

using platform::Language;

QString quoted(const QString& text) {
    return u'"' + text + u'"';
}

bool isStandardInput(const QString& fileName) {
    return fileName == QLatin1String("-");
}

QString shownName(const QString& fileName) {
    return isStandardInput(fileName) ? QStringLiteral("standard input") : quoted(fileName);
}

// The whole content of a file the user named, or of standard input for "-", at most limit bytes.
QByteArray readWhole(const QString& fileName, const QString& what, qint64 limit) {
    using Problem = platform::WholeFile::Problem;
    const platform::WholeFile read =
        isStandardInput(fileName) ? platform::readWhole(STDIN_FILENO, limit) : platform::readWholeFile(fileName, limit);
    QString reason;
    switch (read.problem) {
    case Problem::None:
        return read.bytes;
    case Problem::System:
        reason = platform::systemReason(read.systemError, Language::English);
        break;
    case Problem::TooLarge:
        reason = QStringLiteral("it is larger than %1 bytes, more than lumidot-render takes").arg(limit);
        break;
    case Problem::NotRegularFile:
        reason = QStringLiteral("it is not a regular file");
        break;
    case Problem::NobodyWrites:
        reason = QStringLiteral("it is a named pipe that no program writes to");
        break;
    case Problem::Changed:
        reason = QStringLiteral("it grew while it was read");
        break;
    }
    throw RenderError{
        QStringLiteral("cannot read the %1 %2: %3")
            .arg(what, isStandardInput(fileName) ? QStringLiteral("from standard input") : quoted(fileName), reason)};
}

// The message of a message file: UTF-8 text, one final line break dropped (an editor's last line ends in one).
QString messageFrom(const QString& fileName) {
    const QByteArray bytes = readWhole(fileName, QStringLiteral("message file"), MaxMessageBytes);
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString message = decoder(bytes);
    if (decoder.hasError())
        throw RenderError{QStringLiteral("the message file %1 is not UTF-8 text")
                              .arg(isStandardInput(fileName) ? QStringLiteral("on standard input") : quoted(fileName))};
    if (message.endsWith(QLatin1String("\r\n")))
        message.chop(2);
    else if (message.endsWith(u'\n'))
        message.chop(1);
    return message;
}

// Defaults come from the settings file when one is named, read once (so a pipe or standard input serves), else
// the program's own; the file is never written.
app::SettingsRecord settingsOf(const Request& request) {
    if (!request.settingsFile)
        return app::readSettings(platform::Profile(), QString());
    const QString& fileName = *request.settingsFile;
    if (!isStandardInput(fileName) && QFileInfo(fileName).isDir())
        throw RenderError{QStringLiteral("the settings file %1 is a folder").arg(quoted(fileName))};
    const QByteArray bytes = readWhole(fileName, QStringLiteral("settings file"), platform::MaxProfileBytes);
    const app::SettingsRecord settings = app::readSettings(
        platform::Profile::fromBytes(bytes), isStandardInput(fileName) ? QStringLiteral("standard input") : fileName);
    // The writers take these in a byte; the window stores what a hand-edited file says.
    const std::pair<const char*, int16_t> byteValues[] = {{"[JPEG] Rate", settings.JpegRate},
                                                          {"[PNG] Rate", settings.PngRate}};
    for (const auto& [key, value] : byteValues)
        if (value < 0 || value > 255)
            throw RenderError{QStringLiteral("the settings file %1 has %2=%3, beyond 0 to 255")
                                  .arg(shownName(fileName), QLatin1String(key))
                                  .arg(value)};
    return settings;
}

// The dots made from a colour that a run draws with, or nothing for the dot pictures: the command line's colour,
// else the settings file's unless --lit or --unlit gives a picture; shape, size and brightness from the command
// line, else the file. What shapes the dots without any colour to make them from is a usage error.
std::optional<dots::DotStyle> dotStyleOf(const Request& request, const app::SettingsRecord& settings) {
    if (request.lit || request.unlit)
        return std::nullopt; // the options refuse --color and the shaping options beside a picture
    // A settings file without [Panel] Color (and the program's own defaults) names no colour: nothing to read.
    const std::optional<QRgb> color = request.color                   ? request.color
                                      : settings.PanelColor.isEmpty() ? std::nullopt
                                                                      : dots::colorNamed(settings.PanelColor);
    if (!color) {
        const std::pair<const char*, bool> shaping[] = {{"shape", request.shape.has_value()},
                                                        {"dot-size", request.dotSize.has_value()},
                                                        {"unlit-level", request.unlitLevel.has_value()}};
        for (const auto& [name, given] : shaping)
            if (given)
                throw UsageError{
                    QStringLiteral("--%1 is for dots made from a colour: give --color too (%2)")
                        .arg(QLatin1String(name), request.settingsFile
                                                      ? QStringLiteral("the settings file has no [Panel] Color")
                                                      : QStringLiteral("or a settings file with [Panel] Color"))};
        return std::nullopt;
    }
    return dots::DotStyle{*color, request.dotSize.value_or(settings.PanelDotSize),
                          request.shape.value_or(settings.PanelShape),
                          request.unlitLevel.value_or(settings.PanelUnlit)};
}

void loadDot(board::BoardState& state, const QString& fileName, int16_t index) {
    const QString which = index == 0 ? QStringLiteral("lit") : QStringLiteral("unlit");
    if (!QFileInfo(fileName).isFile())
        throw RenderError{QStringLiteral("the %1 dot image %2 does not exist").arg(which, quoted(fileName))};
    if (dots::LoadDotImage(state, fileName, index) != 0)
        throw RenderError{QStringLiteral("the %1 dot image %2 cannot be read as a BMP, ICO, JPEG, GIF or PNG image")
                              .arg(which, quoted(fileName))};
}

// The faces a run draws with: the window's font (an installed family), and for a panel the face that
// --font-file or --font names, else the settings file's [Panel] Font, else the window's font.
struct Faces {
    QString family;                       // for the window's font
    std::optional<dotfont::Face> panel;   // for a fitted render
    std::optional<dotfont::Face> dotOnly; // --font names a dot face that no outline family answers to
};

// The dot faces, found in the system's font folders the first time a name needs them.
class DotFaces {
public:
    const dotfont::FaceLibrary& library() {
        if (!m_library)
            m_library = dotfont::FaceLibrary::discover(dotfont::FaceLibrary::systemFontFolders(QDir::homePath()));
        return *m_library;
    }

private:
    std::optional<dotfont::FaceLibrary> m_library;
};

std::optional<dotfont::Face> namedFace(DotFaces& faces, const QString& name) {
    return faces.library().find(name);
}

RenderError unknownFace(const QString& name) {
    return RenderError{QStringLiteral("the font %1 is not installed (lumidot-render --list-fonts and --list-dot-fonts "
                                      "list the faces)")
                           .arg(quoted(name))};
}

Faces facesOf(const Request& request, const app::SettingsRecord& settings, const board::Panel& panel,
              DotFaces& dotFaces) {
    Faces faces{settings.FontName, std::nullopt, std::nullopt};
    if (request.fontFile) {
        QString reason;
        std::optional<dotfont::Face> face = dotFaces.library().loadFile(*request.fontFile, reason);
        if (!face)
            throw RenderError{
                QStringLiteral("cannot draw with the font file %1: %2").arg(quoted(*request.fontFile), reason)};
        if (face->isDot() || panel.rows > 0)
            faces.dotOnly = faces.panel = face;
        else
            faces.family = face->name();
        return faces;
    }
    if (request.font) {
        if (const std::optional<QString> listed = board::fontFamilyFor(*request.font)) {
            faces.family = *listed;
            if (panel.rows > 0)
                faces.panel = namedFace(dotFaces, *listed);
        } else if (std::optional<dotfont::Face> dot = namedFace(dotFaces, *request.font); dot && dot->isDot()) {
            faces.panel = faces.dotOnly = dot;
        } else {
            throw unknownFace(*request.font);
        }
    } else if (panel.rows > 0 && !panel.font.trimmed().isEmpty()) {
        faces.panel = namedFace(dotFaces, panel.font);
        if (!faces.panel)
            throw RenderError{QStringLiteral("the panel's font %1 (the settings file's [Panel] Font) is not installed")
                                  .arg(quoted(panel.font))};
    }
    return faces;
}

// The largest design height of a dot face at most the size in pixels (96 dpi), else its smallest: a dot face
// drawn without a panel is as high as its line.
int designHeightFor(const dotfont::Face& face, float points) {
    const std::vector<int> heights = face.heights();
    const float pixels = points * 96.0f / 72.0f;
    int chosen = heights.front();
    for (const int height : heights)
        if (float(height) <= pixels)
            chosen = height;
    return chosen;
}

// The board the window shows for message in the end. The window's mask starts at its laid-out size and
// cuts a longer message at the first render; from the second render on it is as large as the board, so
// the message shows whole. A mask of the message's own size gives that board in one pass. A panel's board
// is fitted to its rows.
board::BoardState renderedBoard(const board::MarkedText& message, const Faces& faces, board::Panel panel,
                                const app::SettingsRecord& settings, const Request& request,
                                const std::optional<dots::DotStyle>& style, board::PanelReport& report) {
    board::BoardState state(ui::builtinLitDot(), ui::builtinUnlitDot(), QSize(), QSize());
    state.BoardPaint = board::BoardState::Paint::CellsOnly; // written from its cells, never shown
    const float points = request.size.value_or(settings.FontSize);
    board::applyFont(state, faces.family, platform::formatSingle(points), request.italic || settings.Italic != 0,
                     request.bold || settings.Tick != 0);
    if (request.lit)
        loadDot(state, *request.lit, 0);
    if (request.unlit)
        loadDot(state, *request.unlit, 1);
    if (style)
        dots::useGeneratedDots(state, *style);
    if (panel.rows == 0 && faces.dotOnly) {
        panel.rows = designHeightFor(*faces.dotOnly, points);
        panel.lines = 1;
    }
    const board::LitDotIn litDotIn = [&](QRgb colour) { return dots::litDotIn(colour, state.Dot[0].image(), style); };
    if (panel.rows > 0) {
        const dotfont::Face face = faces.panel.value_or(dotfont::Face::outline(state.TempPic.font()));
        report = board::DrawPanelBoard(state, message, panel, face, litDotIn);
        return state;
    }
    state.SizeMongon.setCaption(message.text);
    state.TempPic.resize(state.SizeMongon.Width(), state.SizeMongon.Height());
    board::DrawBoard(state, message, litDotIn);
    return state;
}

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

// Numbered files of the animation's frames, cut to the panel, one after the other as the animation plays
// them (frames beyond its count come round again). Without a panel, frame k is the board after k steps of
// the arrows.
void writeFrames(const scroll::Sign& sign, const scroll::AnimationSettings& animation, int frames,
                 const QString& output, platform::ImageFormat format, const output::SaveOptions& options) {
    const scroll::FrameSequence sequence(sign, animation);
    if (frames == 0)
        frames = sequence.frameCount();
    QImage picture;
    platform::Surface surface;
    for (int frame = 1; frame <= frames; ++frame) {
        if (!sequence.drawFrame((frame - 1) % sequence.frameCount(), picture))
            throw RenderError{
                QStringLiteral("cannot draw frame %1 of %2 for %3: %4")
                    .arg(frame)
                    .arg(frames)
                    .arg(quoted(output), platform::errorDescription(platform::ErrOutOfMemory, Language::English))};
        surface.setPicture(picture);
        const QString fileName = frameName(output, frame, frames);
        if (const platform::Result written = output::writeBoard(surface, fileName, format, options); !written.ok())
            throw RenderError{writeFailure(written).text +
                              QStringLiteral(" (%1 of %2 frames were written)").arg(frame - 1).arg(frames)};
    }
}

// "🍣 (U+1F363)" for each character, comma-separated.
QString namedCharacters(const QList<char32_t>& characters) {
    QStringList names;
    for (const char32_t character : characters)
        names << QStringLiteral("%1 (U+%2)")
                     .arg(QString::fromUcs4(&character, 1))
                     .arg(uint(character), 4, 16, QLatin1Char('0'))
                     .toUpper();
    return names.join(QStringLiteral(", "));
}

} // namespace

void run(const Request& request, const std::function<void(const QString&)>& warn) {
    const app::SettingsRecord settings = settingsOf(request);
    const std::optional<dots::DotStyle> style = dotStyleOf(request, settings);
    const QString message = request.messageFile ? messageFrom(*request.messageFile) : *request.message;
    board::MarkedText marked = board::inOwnColour(message);
    if (request.markup || settings.PanelMarkup != 0) {
        if (const platform::Result read = dots::readColourMarks(message, marked); !read.ok())
            throw RenderError{platform::failureText(read, Language::English)};
    }
    board::Panel panel = app::panelOf(settings);
    panel.rows = request.rows.value_or(panel.rows);
    panel.lines = request.lines.value_or(panel.lines);
    panel.align = request.align.value_or(panel.align);
    DotFaces dotFaces;
    const Faces faces = facesOf(request, settings, panel, dotFaces);
    const QString shownOutput =
        request.output == QLatin1String("-") ? QStringLiteral("standard output") : request.output;

    board::PanelReport report;
    board::BoardState state = [&] {
        try {
            return renderedBoard(marked, faces, panel, settings, request, style, report);
        } catch (const platform::RuntimeError& error) {
            throw RenderError{
                QStringLiteral("cannot render the board for %1: %2 (run-time error %3)")
                    .arg(quoted(shownOutput), platform::errorDescription(error.number(), Language::English))
                    .arg(error.number())};
        }
    }();
    const bool fitted = panel.rows > 0 || faces.dotOnly;
    QList<char32_t> missing;
    if (!fitted)
        missing = board::undrawableCharacters(state.TempPic.font(), marked.text);
    for (const uint character : report.missingCharacters.toUcs4())
        missing.append(char32_t(character));
    if (!missing.isEmpty())
        warn(QStringLiteral("the font %1 and the faces that stand in for it cannot draw %2: they show as %3")
                 .arg(quoted(fitted && faces.panel ? faces.panel->name()
                                                   : board::reportedFontName(state.TempPic.font())),
                      namedCharacters(missing), fitted ? QStringLiteral("blanks") : QStringLiteral("empty boxes")));
    if (report.droppedLines > 0)
        warn(QStringLiteral("the message has %1 more line%2 than the panel's %3: %4 not drawn")
                 .arg(report.droppedLines)
                 .arg(report.droppedLines == 1 ? QString() : QStringLiteral("s"))
                 .arg(panel.lines == 1 ? QStringLiteral("one line") : QStringLiteral("%1 lines").arg(panel.lines))
                 .arg(report.droppedLines == 1 ? QStringLiteral("it is") : QStringLiteral("they are")));

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
    animation.gap = request.gap.value_or(animation.gap);
    animation.entrance = request.entrance.value_or(animation.entrance);
    animation.holdMs = request.hold.value_or(animation.holdMs);
    animation.blinks = request.blinks.value_or(animation.blinks);
    const scroll::Sign sign = scroll::signOf(state);

    Target target(request.output, *request.type);
    switch (request.writes) {
    case Writes::Board: {
        board::CellRows rows(state);
        if (const platform::Result written = output::writeBoard(rows, target.fileName(), *request.type->still, options);
            !written.ok())
            throw writeFailure(written);
        break;
    }
    case Writes::Frames:
        check(sign, animation, shownOutput);
        writeFrames(sign, animation, *request.frames, request.output, *request.type->still, options);
        break;
    case Writes::FirstFrame:
        // The board as it stands: one step brings the board round, one frame without a hold.
        animation.entrance = scroll::Entrance::Board;
        animation.holdMs = 0;
        animation.blinks = 0;
        animation.step = scroll::cycleOf(sign.cells, animation);
        [[fallthrough]];
    case Writes::Animation:
        check(sign, animation, shownOutput);
        if (const platform::Result written =
                scroll::writeAnimation(sign, animation, target.fileName(), *request.type->animation, request.header);
            !written.ok())
            throw writeFailure(written);
        break;
    }
    target.deliver();
}

} // namespace render
