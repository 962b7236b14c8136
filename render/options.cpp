#include "render/options.h"

#include "output/pngsetting.h"
#include "output/writeboard.h"
#include "platform/errors.h"
#include "platform/numbers.h"
#include "settingskeys/keys.h"

#include <QCommandLineParser>
#include <QFileInfo>

#include <cmath>
#include <utility>
#include <vector>

namespace render {

namespace {

using platform::OutputFileType;
using settingskeys::KeyId;

QString quoted(const QString& text) {
    return u'"' + text + u'"';
}

QString option(const char* name) {
    return QLatin1String(name);
}

// The extensions of the output types that can hold an animation, or of all, each after prefix.
QString outputTypeNames(const QString& prefix, bool animatedOnly = false) {
    QStringList names;
    for (const OutputFileType& type : platform::OutputFileTypes)
        if (!type.alias && (type.animation || !animatedOnly))
            names << prefix + QLatin1String(type.extension);
    const QString last = names.takeLast();
    return names.join(QStringLiteral(", ")) + QStringLiteral(" or ") + last;
}

// "red, amber, ..., white": the preset colours' names.
QString presetNames() {
    QStringList names;
    for (const dots::PresetColor& preset : dots::presetColors())
        names << QLatin1String(preset.name);
    return names.join(QStringLiteral(", "));
}

// Numbers read the same way as in the settings file, in every locale.
double numberOption(const QCommandLineParser& parser, const QString& name, double lowest, double highest) {
    const auto value = [&]() -> std::optional<double> {
        try {
            return platform::parseNumber(parser.value(name));
        } catch (const platform::RuntimeError&) {
            return std::nullopt;
        }
    }();
    if (!value || *value < lowest || *value > highest)
        throw UsageError{QStringLiteral("--%1 must be a number from %2 to %3, not %4")
                             .arg(name)
                             .arg(lowest)
                             .arg(highest)
                             .arg(quoted(parser.value(name)))};
    return *value;
}

int wholeOption(const QCommandLineParser& parser, const QString& name, int lowest, int highest) {
    const double value = numberOption(parser, name, lowest, highest);
    if (value != int(value))
        throw UsageError{QStringLiteral("--%1 must be a whole number, not %2").arg(name, quoted(parser.value(name)))};
    return int(value);
}

// A whole-number option that sets a settings key, in the values the key offers.
std::optional<int> keyOption(const QCommandLineParser& parser, const char* name, KeyId key) {
    if (!parser.isSet(option(name)))
        return std::nullopt;
    return wholeOption(parser, option(name), settingskeys::key(key).lowest, settingskeys::key(key).highest);
}

std::optional<QString> textOption(const QCommandLineParser& parser, const char* name) {
    if (!parser.isSet(option(name)))
        return std::nullopt;
    return parser.value(option(name));
}

int16_t pngSettingOf(const QCommandLineParser& parser) {
    const bool byName = parser.isSet(QStringLiteral("png-compression"));
    if (byName && parser.isSet(QStringLiteral("png-setting")))
        throw UsageError{QStringLiteral("give --png-compression or --png-setting, not both")};
    if (!byName) {
        const settingskeys::Key& key = settingskeys::key(KeyId::PngRate);
        return int16_t(wholeOption(parser, QStringLiteral("png-setting"), key.lowest, key.highest));
    }
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

// One of a few names, in any case; anything else is a usage error listing them.
template <typename Value>
std::optional<Value> namedOption(const QCommandLineParser& parser, const char* name,
                                 const std::vector<std::pair<const char*, Value>>& choices) {
    if (!parser.isSet(option(name)))
        return std::nullopt;
    const QString given = parser.value(option(name));
    QStringList names;
    for (const auto& [choiceName, value] : choices) {
        if (given.compare(QLatin1String(choiceName), Qt::CaseInsensitive) == 0)
            return value;
        names << QLatin1String(choiceName);
    }
    const QString last = names.takeLast();
    throw UsageError{QStringLiteral("--%1 must be %2 or %3, not %4")
                         .arg(QLatin1String(name), names.join(QStringLiteral(", ")), last, quoted(given))};
}

// How a .h output stores the sign; the options are for a C header only.
scroll::CHeaderOptions headerOptionsOf(const QCommandLineParser& parser, const Request& request) {
    using Options = scroll::CHeaderOptions;
    Options options;
    const bool header = request.type->animation == platform::AnimationFormat::CHeader;
    for (const char* name : {"header", "scan", "name", "progmem"})
        if (parser.isSet(option(name)) && !header)
            throw UsageError{
                QStringLiteral("--%1 is for a C header (.h), not for this output").arg(QLatin1String(name))};
    options.layout = namedOption<Options::Layout>(
                         parser, "header", {{"strip", Options::Layout::Strip}, {"frames", Options::Layout::Frames}})
                         .value_or(options.layout);
    options.scan =
        namedOption<Options::Scan>(parser, "scan", {{"columns", Options::Scan::Columns}, {"rows", Options::Scan::Rows}})
            .value_or(options.scan);
    if (options.layout == Options::Layout::Frames && parser.isSet(QStringLiteral("scan")))
        throw UsageError{QStringLiteral("--scan is for the strip layout, not for --header frames")};
    if (parser.isSet(QStringLiteral("name"))) {
        options.name = parser.value(QStringLiteral("name"));
        if (!scroll::isHeaderName(options.name))
            throw UsageError{QStringLiteral("--name must be a C identifier (letters, digits and _, not a digit first, "
                                            "at most 63), not %1")
                                 .arg(quoted(options.name))};
    }
    options.progmem = parser.isSet(QStringLiteral("progmem"));
    return options;
}

// Options that only one format's writer takes are refused with any other output, never ignored.
void checkFormatOptions(const QCommandLineParser& parser, const Request& request) {
    const bool board = request.writes == Writes::Board || request.writes == Writes::Frames;
    const auto writtenAs = [&](platform::ImageFormat format) { return board && request.type->still == format; };
    for (const char* name : {"quality", "progressive"})
        if (parser.isSet(option(name)) && !writtenAs(platform::ImageFormat::Jpeg))
            throw UsageError{QStringLiteral("--%1 is for a JPEG picture (.jpg, .jpeg or .jpe), not for this output")
                                 .arg(QLatin1String(name))};
    for (const char* name : {"png-compression", "png-setting"})
        if (parser.isSet(option(name)) && !writtenAs(platform::ImageFormat::Png))
            throw UsageError{QStringLiteral("--%1 is for a PNG picture (.png without --animate), not for this output")
                                 .arg(QLatin1String(name))};
}

// Dots made from a colour replace both dot pictures, so a colour and a picture never go together; what shapes
// them needs a colour, which the job checks once it knows the settings file's.
void readDotStyleOptions(const QCommandLineParser& parser, Request& request) {
    if (parser.isSet(QStringLiteral("color"))) {
        const QString given = parser.value(QStringLiteral("color"));
        request.color = dots::colorNamed(given);
        if (!request.color)
            throw UsageError{QStringLiteral("--color must be %1 or #RRGGBB, not %2").arg(presetNames(), quoted(given))};
    }
    request.shape = namedOption<dots::DotShape>(parser, "shape",
                                                {{"round", dots::DotShape::Round}, {"square", dots::DotShape::Square}});
    request.dotSize = keyOption(parser, "dot-size", KeyId::PanelDotSize);
    request.unlitLevel = keyOption(parser, "unlit-level", KeyId::PanelUnlit);
    for (const char* picture : {"lit", "unlit"}) {
        if (!parser.isSet(option(picture)))
            continue;
        if (request.color)
            throw UsageError{
                QStringLiteral("give --color or --%1, not both: a colour makes both dots").arg(QLatin1String(picture))};
        for (const char* name : {"shape", "dot-size", "unlit-level"})
            if (parser.isSet(option(name)))
                throw UsageError{QStringLiteral("--%1 is for dots made from a colour, not for the --%2 picture")
                                     .arg(QLatin1String(name), QLatin1String(picture))};
    }
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
        request.type = platform::outputTypeNamed(format);
        if (!request.type)
            throw UsageError{QStringLiteral("--format must be %1, not %2").arg(outputTypeNames({}), quoted(format))};
    } else {
        request.type = platform::outputTypeNamed(QFileInfo(request.output).suffix());
        if (!request.type)
            throw UsageError{QStringLiteral("the output file %1 must end in %2: that is how its format is told")
                                 .arg(quoted(request.output), outputTypeNames(QStringLiteral(".")))};
    }

    const bool animate = parser.isSet(QStringLiteral("animate")) || request.type->alwaysAnimated;
    if (animate && !request.type->animation)
        throw UsageError{QStringLiteral("an animation is written as %1, not as .%2")
                             .arg(outputTypeNames(QStringLiteral("."), true), QLatin1String(request.type->extension))};
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
    checkFormatOptions(parser, request);

    request.settingsFile = textOption(parser, "settings");
    if (request.settingsFile == QLatin1String("-") && request.messageFile == QLatin1String("-"))
        throw UsageError{QStringLiteral("--settings and --message-file cannot both read standard input")};
    request.font = textOption(parser, "font");
    request.fontFile = textOption(parser, "font-file");
    if (request.font && request.fontFile)
        throw UsageError{QStringLiteral("give --font or --font-file, not both")};
    if (parser.isSet(QStringLiteral("size"))) {
        const settingskeys::Key& size = settingskeys::key(KeyId::FontSize);
        request.size = float(numberOption(parser, QStringLiteral("size"), size.lowest, size.highest));
    }
    request.italic = parser.isSet(QStringLiteral("italic"));
    request.bold = parser.isSet(QStringLiteral("bold"));
    request.lit = textOption(parser, "lit");
    request.unlit = textOption(parser, "unlit");
    if (const std::optional<int> quality = keyOption(parser, "quality", KeyId::JpegRate))
        request.quality = int16_t(*quality);
    request.progressive = parser.isSet(QStringLiteral("progressive"));
    if (parser.isSet(QStringLiteral("png-compression")) || parser.isSet(QStringLiteral("png-setting")))
        request.pngSetting = pngSettingOf(parser);
    request.panel = keyOption(parser, "panel", KeyId::AnimPanel);
    request.delay = keyOption(parser, "delay", KeyId::AnimDelay);
    request.step = keyOption(parser, "step", KeyId::AnimStep);
    if (parser.isSet(QStringLiteral("loop")))
        request.loop = wholeOption(parser, QStringLiteral("loop"), 0, scroll::MaxLoopCount);
    request.direction = namedOption<scroll::Direction>(parser, "direction",
                                                       {{"up", scroll::Direction::Up},
                                                        {"right", scroll::Direction::Right},
                                                        {"down", scroll::Direction::Down},
                                                        {"left", scroll::Direction::Left}});
    request.gap = keyOption(parser, "gap", KeyId::AnimGap);
    request.entrance = namedOption<scroll::Entrance>(
        parser, "enter", {{"board", scroll::Entrance::Board}, {"blank", scroll::Entrance::Blank}});
    request.hold = keyOption(parser, "hold", KeyId::AnimHold);
    request.blinks = keyOption(parser, "blink", KeyId::AnimBlink);
    request.header = headerOptionsOf(parser, request);
    request.rows = keyOption(parser, "rows", KeyId::PanelRows);
    request.lines = keyOption(parser, "lines", KeyId::PanelLines);
    if (parser.isSet(QStringLiteral("align"))) {
        request.align = board::alignNamed(parser.value(QStringLiteral("align")));
        if (!request.align)
            throw UsageError{QStringLiteral("--align must be left, center or right, not %1")
                                 .arg(quoted(parser.value(QStringLiteral("align"))))};
    }
    request.markup = parser.isSet(QStringLiteral("markup"));
    readDotStyleOptions(parser, request);
    return request;
}

// "default: the settings file's [Section] Key, else VALUE", the value as the program's own default has it.
QString fromSettings(KeyId id, const QString& value) {
    return QStringLiteral("default: the settings file's %1, else %2")
        .arg(settingskeys::keyPath(settingskeys::key(id)), value);
}
QString fromSettings(KeyId id) {
    return fromSettings(id, QString::fromUtf8(settingskeys::key(id).defaultText));
}
QString range(KeyId id) {
    return QStringLiteral("%1 to %2").arg(settingskeys::key(id).lowest).arg(settingskeys::key(id).highest);
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

void addOptions(QCommandLineParser& parser) {
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

    const output::SaveOptions saveDefaults;
    QString pngDefault;
    for (const output::PngSetting& setting : output::PngSettings)
        if (setting.stored == saveDefaults.pngRate)
            pngDefault = QLatin1String(setting.name);
    const scroll::AnimationSettings animation;
    const float sizeDefault = platform::parseSingle(QString::fromUtf8(settingskeys::key(KeyId::FontSize).defaultText));
    parser.addOptions({
        {QStringLiteral("message-file"),
         QStringLiteral("read the message from FILE (UTF-8; - for standard input; one final line break dropped) "
                        "instead of MESSAGE"),
         QStringLiteral("FILE")},
        {QStringLiteral("font"),
         QStringLiteral("font face, one that --list-fonts or --list-dot-fonts lists (by any of its names) or a "
                        "Windows face name with an installed stand-in; ") +
             fromSettings(KeyId::FontName) +
             QStringLiteral(" (with --rows, the settings file's [Panel] Font when it names one)"),
         QStringLiteral("FACE")},
        {QStringLiteral("font-file"),
         QStringLiteral("draw with the font in FILE: a BDF or PCF dot font (gzip-compressed or not), a TrueType or "
                        "OpenType font"),
         QStringLiteral("FILE")},
        {QStringLiteral("size"),
         QStringLiteral("font size in points, %1; ").arg(range(KeyId::FontSize)) +
             fromSettings(KeyId::FontSize, platform::formatSingle(sizeDefault)),
         QStringLiteral("POINTS")},
        {QStringLiteral("italic"), QStringLiteral("italic; ") + fromSettings(KeyId::Italic, QStringLiteral("upright"))},
        {QStringLiteral("bold"), QStringLiteral("bold; ") + fromSettings(KeyId::Tick, QStringLiteral("regular"))},
        {QStringLiteral("list-fonts"), QStringLiteral("print the faces the window lists, one a line, and exit")},
        {QStringLiteral("list-dot-fonts"),
         QStringLiteral("print the dot faces, one a line as FACE<tab>HEIGHTS (their pixel heights), and exit")},
        {QStringLiteral("rows"),
         QStringLiteral("make the board exactly N cells high, %1, each line of the message at the largest size "
                        "that fits its band (a dot face at its largest pixel height that fits); 0: as high as the "
                        "font's line at --size; ")
                 .arg(range(KeyId::PanelRows)) +
             fromSettings(KeyId::PanelRows),
         QStringLiteral("N")},
        {QStringLiteral("lines"),
         QStringLiteral("with --rows, split the rows into N bands, %1, one line of the message each (a line break "
                        "starts the next); ")
                 .arg(range(KeyId::PanelLines)) +
             fromSettings(KeyId::PanelLines),
         QStringLiteral("N")},
        {QStringLiteral("align"),
         QStringLiteral("with --rows, where a shorter line sits: left, center or right; ") +
             fromSettings(KeyId::PanelAlign, QStringLiteral("left")),
         QStringLiteral("WHERE")},
        {QStringLiteral("lit"),
         QStringLiteral("lit dot image (BMP, ICO, JPEG, GIF or PNG); a colour from the settings file gives way to it "
                        "and to --unlit; default: the built-in dot"),
         QStringLiteral("FILE")},
        {QStringLiteral("unlit"), QStringLiteral("unlit dot image; default: the built-in dot"), QStringLiteral("FILE")},
        {QStringLiteral("color"),
         QStringLiteral("make both dots from a colour, in place of the dot pictures: %1 or #RRGGBB; not with --lit "
                        "or --unlit; default: the settings file's [Panel] Color unless --lit or --unlit is given, "
                        "else the dot pictures")
             .arg(presetNames()),
         QStringLiteral("COLOR")},
        {QStringLiteral("shape"),
         QStringLiteral("the shape of dots made from a colour: round or square; needs a colour (--color or the "
                        "settings file's); ") +
             fromSettings(KeyId::PanelShape, QStringLiteral("round")),
         QStringLiteral("SHAPE")},
        {QStringLiteral("dot-size"),
         QStringLiteral("the size of dots made from a colour, %1 pixels a side, and so the cell size; needs a "
                        "colour; ")
                 .arg(range(KeyId::PanelDotSize)) +
             fromSettings(KeyId::PanelDotSize),
         QStringLiteral("N")},
        {QStringLiteral("unlit-level"),
         QStringLiteral("the unlit dot's brightness, %1 per cent of the colour; needs a colour; ")
                 .arg(range(KeyId::PanelUnlit)) +
             fromSettings(KeyId::PanelUnlit),
         QStringLiteral("N")},
        {QStringLiteral("format"),
         QStringLiteral("format of an OUTPUT of -: %1; default: png").arg(outputTypeNames({})),
         QStringLiteral("FORMAT")},
        {QStringLiteral("quality"),
         QStringLiteral("JPEG quality, %1, for a JPEG output only; ").arg(range(KeyId::JpegRate)) +
             fromSettings(KeyId::JpegRate),
         QStringLiteral("N")},
        {QStringLiteral("progressive"), QStringLiteral("progressive JPEG, for a JPEG output only; ") +
                                            fromSettings(KeyId::JpegPrgrs, QStringLiteral("baseline"))},
        {QStringLiteral("png-compression"),
         QStringLiteral("PNG compression: fast, default or small, for a .png picture only; ") +
             fromSettings(KeyId::PngRate, pngDefault),
         QStringLiteral("LEVEL")},
        {QStringLiteral("png-setting"),
         QStringLiteral("the same in the settings file's numbers: 1 fast, 0 default, 2 small"), QStringLiteral("N")},
        {QStringLiteral("settings"),
         QStringLiteral("settings file to take the defaults from (never written; - for standard input); default: "
                        "none, the program's own defaults"),
         QStringLiteral("FILE")},
        {QStringLiteral("frames"),
         QStringLiteral("write N numbered files (cycle: one whole cycle), each one step of rotation after the one "
                        "before; default: one file"),
         QStringLiteral("N|cycle")},
        {QStringLiteral("direction"),
         QStringLiteral("rotation of --frames and the animation: up, right, down or left; ") +
             fromSettings(KeyId::AnimDirection, scroll::directionName(animation.direction).toLower()),
         QStringLiteral("DIR")},
        {QStringLiteral("animate"),
         QStringLiteral("write the scrolling sign as one animated .gif, .webp, .png (APNG), .pbm or .h file; a .gif "
                        "or .webp OUTPUT implies it")},
        {QStringLiteral("panel"),
         QStringLiteral("panel width in cells, 0 for the whole board; a narrower board is widened with unlit cells; ") +
             fromSettings(KeyId::AnimPanel),
         QStringLiteral("COLS")},
        {QStringLiteral("delay"),
         QStringLiteral("how long each frame shows, %1 ms; ").arg(range(KeyId::AnimDelay)) +
             fromSettings(KeyId::AnimDelay),
         QStringLiteral("MS")},
        {QStringLiteral("step"),
         QStringLiteral("cells per frame, a divisor of the cycle; ") + fromSettings(KeyId::AnimStep),
         QStringLiteral("N")},
        {QStringLiteral("gap"),
         QStringLiteral("unlit cells between the message's end and its next start, 0 to %1; -1: as wide as the "
                        "panel when the board is wider or enters blank, else none (the board widened to the "
                        "panel); ")
                 .arg(settingskeys::key(KeyId::AnimGap).highest) +
             fromSettings(KeyId::AnimGap),
         QStringLiteral("N")},
        {QStringLiteral("enter"),
         QStringLiteral("the first frame: board (the board as it stands) or blank (the blank panel, the message "
                        "entering from the edge it scrolls in from); ") +
             fromSettings(KeyId::AnimEnter, QStringLiteral("board")),
         QStringLiteral("HOW")},
        {QStringLiteral("hold"),
         QStringLiteral("how long the frame in which the message's leading edge reaches the panel's far edge "
                        "shows, %1 ms, 0: as long as the others; ")
                 .arg(range(KeyId::AnimHold)) +
             fromSettings(KeyId::AnimHold),
         QStringLiteral("MS")},
        {QStringLiteral("blink"),
         QStringLiteral("times the panel goes blank and back at the hold, %1, each state --delay long; ")
                 .arg(range(KeyId::AnimBlink)) +
             fromSettings(KeyId::AnimBlink),
         QStringLiteral("N")},
        {QStringLiteral("header"),
         QStringLiteral("how a .h stores the sign: strip (the board and its gap once, each frame a window into "
                        "it) or frames (every frame in full); default: strip"),
         QStringLiteral("LAYOUT")},
        {QStringLiteral("scan"),
         QStringLiteral("the strip of a .h column by column (columns) or row by row (rows); default: columns"),
         QStringLiteral("ORDER")},
        {QStringLiteral("name"),
         QStringLiteral("the prefix of every name in a .h, a C identifier: lower case for data and functions, upper "
                        "case for macros; default: lumidot"),
         QStringLiteral("PREFIX")},
        {QStringLiteral("progmem"),
         QStringLiteral("a .h keeps its data in flash on AVR (PROGMEM, read with pgm_read_byte); other compilers "
                        "read it as plain data")},
        {QStringLiteral("loop"),
         QStringLiteral("how many times the animation plays, 0 to %1; default: 0, forever").arg(scroll::MaxLoopCount),
         QStringLiteral("N")},
        {QStringLiteral("markup"),
         QStringLiteral("read colour marks in the message: {red} (or amber, yellow, green, blue, white) or {#RRGGBB} "
                        "lights what follows in that colour, {} in the sign's own again, {{ is a {; ") +
             fromSettings(KeyId::PanelMarkup, QStringLiteral("off"))},
    });
}

Command parseCommandLine(QCommandLineParser& parser, const QStringList& arguments) {
    if (!parser.parse(arguments))
        throw UsageError{parser.errorText()};
    Command command;
    if (parser.isSet(QStringLiteral("help"))) {
        command.kind = Command::Kind::Help;
    } else if (parser.isSet(QStringLiteral("version"))) {
        command.kind = Command::Kind::Version;
    } else if (parser.isSet(QStringLiteral("list-fonts")) || parser.isSet(QStringLiteral("list-dot-fonts"))) {
        const bool dot = parser.isSet(QStringLiteral("list-dot-fonts"));
        if (dot && parser.isSet(QStringLiteral("list-fonts")))
            throw UsageError{QStringLiteral("give --list-fonts or --list-dot-fonts, not both")};
        if (!parser.positionalArguments().isEmpty())
            throw UsageError{
                QStringLiteral("--%1 takes no MESSAGE or OUTPUT").arg(dot ? "list-dot-fonts" : "list-fonts")};
        command.kind = dot ? Command::Kind::ListDotFonts : Command::Kind::ListFonts;
    } else {
        command.request = requestOf(parser);
    }
    return command;
}

} // namespace render
