#include "app/basCommon.h"
#include "app/frmMain.h"
#include "app/frmPanel.h"
#include "board/basFontListGet.h"
#include "board/fontface.h"
#include "output/pngsetting.h"
#include "platform/commondialogs.h"
#include "platform/messagebox.h"
#include "tests/animationdecoders.h"
#include "tests/testsupport.h"

#include <QFile>
#include <QHash>
#include <QImage>
#include <QCheckBox>
#include <QLabel>
#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QStandardPaths>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QMenu>
#include <QTest>

#include <sys/stat.h>

using scroll::AnimationFormat;
using testsupport::readAll;

Q_DECLARE_METATYPE(scroll::AnimationFormat)

namespace {

struct Outcome {
    int exitCode;
    QByteArray output;
    QString errors;
};

// Runs lumidot-render as a script would, without a desktop session (no XDG_RUNTIME_DIR), so that any
// warning Qt prints about it shows.
Outcome render(const QStringList& arguments, const QByteArray& input = {},
               QProcessEnvironment environment = QProcessEnvironment::systemEnvironment()) {
    QProcess process;
    environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(LUMIDOT_RENDER), arguments);
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000))
        return {-1, {}, QStringLiteral("did not finish")};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardOutput(),
            QString::fromUtf8(process.readAllStandardError())};
}

// Whether every line on standard error is one of the program's own English messages.
bool onlyOwnEnglishMessages(const QString& errors) {
    for (const QString& line : errors.split(u'\n', Qt::SkipEmptyParts)) {
        if (!line.startsWith(QLatin1String("lumidot-render: ")) &&
            line != QLatin1String("Try 'lumidot-render --help'."))
            return false;
        if (std::any_of(line.begin(), line.end(), [](QChar c) { return c.unicode() >= 0x3000; }))
            return false; // Japanese
    }
    return true;
}

// The lines fc-list prints for a query, fontconfig's own answer, apart from the code under test.
QStringList fcList(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral("fc-list"), arguments);
    if (!process.waitForFinished(60000))
        return {};
    return QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
}

// A Type 1 font (PFA) of family with one glyph, a square "A", whose notice names URW: fontconfig takes
// that for its foundry. Both of Type 1's encryptions are applied as the format describes them; every
// number of the glyph programs lies in -107..107, one byte each (the value + 139).
QByteArray type1Font(const QByteArray& family) {
    const auto encrypted = [](const QByteArray& plain, quint16 key) {
        QByteArray cipher;
        for (const char byte : QByteArray(4, '\0') + plain) { // four leading bytes of any value
            const uchar c = uchar(byte) ^ uchar(key >> 8);
            key = quint16((c + key) * 52845u + 22719u);
            cipher += char(c);
        }
        return cipher;
    };
    const auto glyph = [&](const QByteArray& name, const QByteArray& program) {
        const QByteArray charString = encrypted(program, 4330);
        return '/' + name + ' ' + QByteArray::number(charString.size()) + " RD " + charString + " ND\n";
    };
    // 0 100 hsbw endchar; 0 100 hsbw 10 0 rmoveto 80 0 rlineto 0 100 rlineto -80 0 rlineto closepath endchar
    const QByteArray glyphs = glyph(".notdef", "\x8b\xef\x0d\x0e") +
                              glyph("A", "\x8b\xef\x0d\x95\x8b\x15\xdb\x8b\x05\x8b\xef\x05\x3b\x8b\x05\x09\x0e");
    const QByteArray hidden = "dup /Private 8 dict dup begin\n"
                              "/RD{string currentfile exch readstring pop}executeonly def\n"
                              "/ND{noaccess def}executeonly def\n/NP{noaccess put}executeonly def\n"
                              "/BlueValues [] ND\n/MinFeature{16 16} ND\n/password 5839 def\n/Subrs 0 array ND\n"
                              "2 index /CharStrings 2 dict dup begin\n" +
                              glyphs +
                              "end\nend\nreadonly put\nnoaccess put\n"
                              "dup /FontName get exch definefont pop\nmark currentfile closefile\n";
    QByteArray font = "%!PS-AdobeFont-1.0: LumidotProbe 001.000\n12 dict begin\n/FontInfo 4 dict dup begin\n"
                      "/Notice (Copyright URW) readonly def\n/FamilyName (" +
                      family + ") readonly def\n/FullName (" + family +
                      " Probe) readonly def\n/Weight (Regular) readonly def\nend readonly def\n"
                      "/FontName /LumidotProbe def\n/PaintType 0 def\n/FontType 1 def\n"
                      "/FontMatrix [0.001 0 0 0.001 0 0] readonly def\n/Encoding StandardEncoding def\n"
                      "/FontBBox {0 0 100 100} readonly def\ncurrentdict end\ncurrentfile eexec\n";
    const QByteArray hex = encrypted(hidden, 55665).toHex();
    for (qsizetype at = 0; at < hex.size(); at += 64)
        font += hex.mid(at, 64) + '\n';
    for (int line = 0; line < 8; ++line)
        font += QByteArray(64, '0') + '\n';
    return font + "cleartomark\n";
}

// The board's size in cells, from a still render of message.
QSize cellsOf(const QString& fileName) {
    return QImage(fileName).size() / ui::builtinLitDot().width();
}

// Answers every file dialog from now on with file and the filter at filterIndex (1: the first).
void answerFileDialogsWith(const QString& file, int filterIndex = 1) {
    platform::setFileDialogHandler([file, filterIndex](const platform::DialogRequest&) {
        platform::DialogAnswer answer;
        answer.accepted = true;
        answer.paths = {file};
        answer.filterIndex = filterIndex;
        return answer;
    });
}

} // namespace

class TestRender : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_folder;
    int m_runs = 0; // names files apart from one data row to the next
    QString path(const QString& name) const { return m_folder.filePath(name); }

    // What the window saves after pressing 開始 `presses` times with message.
    QString savedByTheWindow(const QString& message, int presses, const QString& name, const QString& color) {
        app::LoadSettings();
        app::Settings.PanelColor = color; // as the dot boxes' menu leaves it
        app::SaveSettings();
        app::frmMain window;
        window.Form_Load();
        window.FLD[0]->setText(message);
        for (int n = 0; n < presses; ++n)
            QTest::mouseClick(window.BTN[0], Qt::LeftButton);
        // A board image through 保存; an animation through the board's menu, its filter by the extension.
        const bool animation = name.endsWith(".gif") || name.endsWith(".webp");
        answerFileDialogsWith(path(name), animation && name.endsWith(".webp") ? 2 : 1);
        if (animation)
            window.BoardMenu->actions().at(1)->trigger(); // アニメーションを保存...
        else
            QTest::mouseClick(window.BTN[1], Qt::LeftButton);
        return path(name);
    }

    // Renders and expects success with nothing printed.
    bool renders(const QStringList& arguments) {
        const Outcome outcome = render(arguments);
        if (outcome.exitCode != 0 || !outcome.output.isEmpty() || !outcome.errors.isEmpty()) {
            qWarning("%d: %s", outcome.exitCode, qPrintable(outcome.errors));
            return false;
        }
        return true;
    }

private slots:
    void initTestCase() {
        board::registerJapaneseFaceSubstitutions();
        QLocale::setDefault(QLocale::c());
        app::setProgramFolder(m_folder.path());
        platform::setMsgBoxHandler([](const QString&, int, const QString&) { return int(platform::AnswerYes); });
        QVERIFY(testsupport::writeAll(path("bad.ini"), "[Font]\nSize=abc\n"));
        QVERIFY(testsupport::writeAll(path("latin1.txt"), "caf\xe9\n"));
        QVERIFY(testsupport::writeAll(path("markup.ini"), "[Panel]\nMarkup=1\n"));
        QVERIFY(testsupport::writeAll(path("ok.ini"), "[Panel]\nShape=Square\n"));
        QVERIFY(renders({"Hi", path("hi.png")}));
    }

    void outputEqualsWhatTheWindowSaves_data() {
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("presses");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("color"); // [Panel] Color; the last row leaves the file without one
        QTest::newRow("green dots, png") << "Sample" << 1 << "green.png"
                                         << "green";
        QTest::newRow("dots of a colour of one's own, gif") << "Sample" << 1 << "own.gif"
                                                            << "#3366CC";
        QTest::newRow("short message, png") << "Sample" << 1 << "short.png"
                                            << "";
        QTest::newRow("short message, bmp") << "Sample" << 1 << "short.bmp"
                                            << "";
        // Wider than the window's first mask: the window shows it whole from the second press on.
        QTest::newRow("long message, png") << QString(60, QLatin1Char('W')) << 2 << "long.png"
                                           << "";
        QTest::newRow("the sign, gif") << "Sample" << 1 << "sign.gif"
                                       << "";
        QTest::newRow("the sign, webp") << "Sample" << 1 << "sign.webp"
                                        << "";
    }
    void outputEqualsWhatTheWindowSaves() {
        QFETCH(QString, message);
        QFETCH(int, presses);
        QFETCH(QString, name);
        QFETCH(QString, color);
        const QString fromWindow = savedByTheWindow(message, presses, "window-" + name, color);
        QVERIFY(renders({"--settings", app::Settings.IniPath, message, path("render-" + name)}));
        QVERIFY(!readAll(fromWindow).isEmpty());
        QCOMPARE(readAll(path("render-" + name)), readAll(fromWindow));
    }

    // Every way a run ends: its status, what it prints where, and that a failure writes nothing.
    void exitStatusAndStreams_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("output"); // standard output contains it; empty: nothing on standard output
        QTest::addColumn<QString>("errors"); // standard error contains it; empty: nothing on standard error
        const QString version = QStringLiteral("lumidot-render " LUMIDOT_VERSION "\n");
        // clang-format off
        QTest::newRow("a board") << QStringList{"Hi", "ok.png"} << 0 << "" << "";
        QTest::newRow("a Windows face with a stand-in") << QStringList{"--font", "ＭＳ Ｐゴシック", "Hi", "ok.png"} << 0 << "" << "";
        QTest::newRow("a face in another case") << QStringList{"--font", "ipapgothic", "Hi", "ok.png"} << 0 << "" << "";
        QTest::newRow("--version") << QStringList{"--version"} << 0 << version << "";
        QTest::newRow("-v") << QStringList{"-v"} << 0 << version << "";
        QTest::newRow("--help") << QStringList{"--help"} << 0 << "sign-01.png to sign-40.png" << "";
        QTest::newRow("unknown option") << QStringList{"--colour", "red", "Hi", "x.png"} << 2 << "" << "colour";
        QTest::newRow("Qt's own option") << QStringList{"-platform", "xcb", "Hi", "x.png"} << 2 << "" << "platform";
        QTest::newRow("no output") << QStringList{"Hi"} << 2 << "" << "MESSAGE and OUTPUT";
        QTest::newRow("three arguments") << QStringList{"Hi", "x.png", "x.bmp"} << 2 << "" << "MESSAGE and OUTPUT";
        QTest::newRow("message and message file") << QStringList{"--message-file", "x.txt", "Hi", "x.png"} << 2 << "" << "OUTPUT only";
        QTest::newRow("fonts listed with a message") << QStringList{"--list-fonts", "Hi"} << 2 << "" << "--list-fonts";
        QTest::newRow("unknown extension") << QStringList{"Hi", "x.tif"} << 2 << "" << ".pbm or .h";
        QTest::newRow("bad size") << QStringList{"--size", "big", "Hi", "x.png"} << 2 << "" << "--size";
        QTest::newRow("size not finite") << QStringList{"--size", "nan", "Hi", "x.png"} << 2 << "" << "--size";
        QTest::newRow("quality too high") << QStringList{"--quality", "101", "Hi", "x.jpg"} << 2 << "" << "--quality";
        QTest::newRow("bad direction") << QStringList{"--frames", "2", "--direction", "sideways", "Hi", "x.png"} << 2 << "" << "--direction";
        QTest::newRow("no frames") << QStringList{"--frames", "0", "Hi", "x.png"} << 2 << "" << "--frames";
        QTest::newRow("bad PNG compression") << QStringList{"--png-compression", "tiny", "Hi", "x.png"} << 2 << "" << "fast, default, small";
        QTest::newRow("two PNG choices") << QStringList{"--png-compression", "fast", "--png-setting", "1", "Hi", "x.png"} << 2 << "" << "not both";
        QTest::newRow("delay too short") << QStringList{"--delay", "10", "Hi", "x.gif"} << 2 << "" << "--delay";
        QTest::newRow("loop too long") << QStringList{"--loop", "65536", "Hi", "x.gif"} << 2 << "" << "--loop";
        QTest::newRow("step beyond the cycle") << QStringList{"--step", "32767", "Hi", "x.gif"} << 2 << "" << "Step=32767";
        QTest::newRow("animated JPEG") << QStringList{"--animate", "Hi", "x.jpg"} << 2 << "" << ".jpg";
        QTest::newRow("frames of a GIF") << QStringList{"--frames", "2", "Hi", "x.gif"} << 2 << "" << "--frames";
        QTest::newRow("frames to standard output") << QStringList{"--frames", "2", "Hi", "-"} << 2 << "" << "--frames";
        QTest::newRow("format of a file") << QStringList{"--format", "bmp", "Hi", "x.png"} << 2 << "" << "--format";
        QTest::newRow("unknown format") << QStringList{"--format", "tif", "Hi", "-"} << 2 << "" << "\"tif\"";
        QTest::newRow("missing dot") << QStringList{"--lit", "/no/such/dot.png", "Hi", "x.png"} << 1 << "" << "/no/such/dot.png";
        QTest::newRow("missing settings") << QStringList{"--settings", "x.ini", "Hi", "x.png"} << 1 << "" << "x.ini\": No such file";
        QTest::newRow("bad settings value") << QStringList{"--settings", "bad.ini", "Hi", "x.png"} << 1 << "" << "\"abc\" of [Font] Size";
        QTest::newRow("missing message file") << QStringList{"--message-file", "x.txt", "x.png"} << 1 << "" << "x.txt\": No such file";
        QTest::newRow("message not UTF-8") << QStringList{"--message-file", "latin1.txt", "x.png"} << 1 << "" << "latin1.txt\" is not UTF-8";
        QTest::newRow("unknown font") << QStringList{"--font", "No Such Face", "Hi", "x.png"} << 1 << "" << "\"No Such Face\" is not installed";
        QTest::newRow("board too large") << QStringList{"--size", "2048", "WWWW", "x.png"} << 1 << "" << "out of memory";
        QTest::newRow("failed write") << QStringList{"Hi", "no-such-folder/x.png"} << 1 << "" << "no-such-folder/x.png";
        QTest::newRow("empty message") << QStringList{"", "x.png"} << 1 << "" << "x.png";
        QTest::newRow("rows beyond a panel") << QStringList{"--rows", "257", "Hi", "x.png"} << 2 << "" << "--rows";
        QTest::newRow("no lines") << QStringList{"--rows", "16", "--lines", "0", "Hi", "x.png"} << 2 << "" << "--lines";
        QTest::newRow("unknown alignment") << QStringList{"--align", "middle", "Hi", "x.png"} << 2 << "" << "--align";
        QTest::newRow("face and face file") << QStringList{"--font", "Unifont", "--font-file", "x.bdf", "Hi", "x.png"} << 2 << "" << "not both";
        QTest::newRow("missing font file") << QStringList{"--font-file", "x.bdf", "Hi", "x.png"} << 1 << "" << "x.bdf";
        QTest::newRow("a font file that is no font") << QStringList{"--font-file", "latin1.txt", "Hi", "x.png"} << 1 << "" << "latin1.txt";
        QTest::newRow("lines beyond the panel's") << QStringList{"--rows", "16", "--lines", "2", "A\nB\nC", "ok.png"} << 0 << "" << "1 more line than the panel's 2 lines";
        QTest::newRow("dot fonts listed with a message") << QStringList{"--list-dot-fonts", "Hi"} << 2 << "" << "--list-dot-fonts";
        QTest::newRow("braces without --markup") << QStringList{"{purple}Hi{", "ok.png"} << 0 << "" << "";
        QTest::newRow("an unknown colour mark") << QStringList{"--markup", "{purple}Hi", "x.png"} << 1 << "" << "\"{purple}\" cannot be read";
        QTest::newRow("a colour mark left open") << QStringList{"--markup", "Hi{red", "x.h"} << 1 << "" << "\"{red\" cannot be read";
        QTest::newRow("marks from the settings file") << QStringList{"--settings", "markup.ini", "{#12345}Hi", "x.gif"} << 1 << "" << "\"{#12345}\"";
        QTest::newRow("unknown colour") << QStringList{"--color", "crimson", "Hi", "x.png"} << 2 << "" << "--color must be red, amber, yellow, green, blue, white or #RRGGBB";
        QTest::newRow("colour without #") << QStringList{"--color", "FF0000", "Hi", "x.png"} << 2 << "" << "--color";
        QTest::newRow("colour and a lit picture") << QStringList{"--color", "red", "--lit", "ok.png", "Hi", "x.png"} << 2 << "" << "--color or --lit";
        QTest::newRow("colour and an unlit picture") << QStringList{"--unlit", "ok.png", "--color", "red", "Hi", "x.png"} << 2 << "" << "--color or --unlit";
        QTest::newRow("unknown shape") << QStringList{"--color", "red", "--shape", "oval", "Hi", "x.png"} << 2 << "" << "--shape must be round or square";
        QTest::newRow("dot too small") << QStringList{"--color", "red", "--dot-size", "1", "Hi", "x.png"} << 2 << "" << "--dot-size must be a number from 2 to 64";
        QTest::newRow("dot size not whole") << QStringList{"--color", "red", "--dot-size", "8.5", "Hi", "x.png"} << 2 << "" << "--dot-size must be a whole number";
        QTest::newRow("unlit level too high") << QStringList{"--color", "red", "--unlit-level", "101", "Hi", "x.png"} << 2 << "" << "--unlit-level must be a number from 0 to 100";
        QTest::newRow("shape without a colour") << QStringList{"--shape", "square", "Hi", "x.png"} << 2 << "" << "--shape is for dots made from a colour: give --color";
        QTest::newRow("dot size with a picture") << QStringList{"--lit", "ok.png", "--dot-size", "8", "Hi", "x.png"} << 2 << "" << "--dot-size is for dots made from a colour, not for the --lit picture";
        QTest::newRow("unlit level, a settings file without a colour") << QStringList{"--settings", "ok.ini", "--unlit-level", "40", "Hi", "x.png"} << 2 << "" << "the settings file has no [Panel] Color";
        // clang-format on
    }
    void exitStatusAndStreams() {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, output);
        QFETCH(QString, errors);
        for (QString& argument : arguments) {
            if (QRegularExpression(QStringLiteral("^(x|ok|bad|latin1|markup)\\.|^no-such-folder/"))
                    .match(argument)
                    .hasMatch())
                argument = path(argument);
            argument.replace(QLatin1String("\\n"), QLatin1String("\n"));
        }
        const Outcome outcome = render(arguments);
        QCOMPARE(outcome.exitCode, status);
        if (output.isEmpty())
            QVERIFY2(outcome.output.isEmpty(), outcome.output.left(200).constData());
        else
            QVERIFY2(outcome.output.contains(output.toUtf8()), outcome.output.left(2000).constData());
        if (errors.isEmpty())
            QVERIFY2(outcome.errors.isEmpty(), qPrintable(outcome.errors));
        else
            QVERIFY2(outcome.errors.contains(errors), qPrintable(outcome.errors));
        QVERIFY2(onlyOwnEnglishMessages(outcome.errors), qPrintable(outcome.errors));
        QCOMPARE(outcome.errors.contains(QLatin1String("Try 'lumidot-render --help'.")), status == 2);
        QVERIFY(QDir(m_folder.path()).entryList({"x.*"}).isEmpty());
    }

    // Dots made from a colour: every cell of the board is the lit or the unlit dot, their centres the colour at
    // 100 % and at the unlit level (hand-worked: 255 × 15 % = 38.25, × 40 % = 102, × 50 % = 127.5, rounded up),
    // a round dot's corners black, a square dot's right column black; the settings file's colour gives way to
    // the command line's and to a dot picture. QImage's PNG reader, not this program's, reads the board.
    void colourDotsLightTheirCells_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QByteArray>("settings"); // the [Panel] section of a settings file; empty: none
        QTest::addColumn<int>("cell");
        QTest::addColumn<QRgb>("lit");
        QTest::addColumn<QRgb>("unlit");
        QTest::addColumn<QString>("shape"); // round, square, or picture
        const QByteArray blueSix = "Color=#0000FF\nDotSize=6\nUnlit=50\n";
        QImage white(6, 6, QImage::Format_RGB32);
        white.fill(Qt::white);
        QVERIFY(white.save(path("white6.png")));
        const QRgb builtinUnlit = ui::builtinUnlitDot().pixel(2, 2); // cut to the 6-pixel cell
        // clang-format off
        QTest::newRow("#FF0000, 8 pixels") << QStringList{"--color", "#FF0000", "--dot-size", "8"} << QByteArray() << 8 << qRgb(255, 0, 0) << qRgb(38, 0, 0) << "round";
        QTest::newRow("unlit level 40") << QStringList{"--color", "#FF0000", "--unlit-level", "40"} << QByteArray() << 8 << qRgb(255, 0, 0) << qRgb(102, 0, 0) << "round";
        QTest::newRow("square, 5 pixels") << QStringList{"--color", "#00FF00", "--shape", "square", "--dot-size", "5"} << QByteArray() << 5 << qRgb(0, 255, 0) << qRgb(0, 38, 0) << "square";
        QTest::newRow("from the settings file") << QStringList{} << blueSix << 6 << qRgb(0, 0, 255) << qRgb(0, 0, 128) << "round";
        QTest::newRow("the command line's colour wins") << QStringList{"--color", "#FF0000", "--unlit-level", "40"} << blueSix << 6 << qRgb(255, 0, 0) << qRgb(102, 0, 0) << "round";
        QTest::newRow("a lit picture wins over the file's colour") << QStringList{"--lit", path("white6.png")} << blueSix << 6 << qRgb(255, 255, 255) << builtinUnlit << "picture";
        // clang-format on
    }
    void colourDotsLightTheirCells() {
        QFETCH(QStringList, options);
        QFETCH(QByteArray, settings);
        QFETCH(int, cell);
        QFETCH(QRgb, lit);
        QFETCH(QRgb, unlit);
        QFETCH(QString, shape);
        const QString file = path(QStringLiteral("colour-%1.png").arg(++m_runs));
        if (!settings.isEmpty()) {
            QVERIFY(testsupport::writeAll(path("colour.ini"), "[Panel]\n" + settings));
            options << "--settings" << path("colour.ini");
        }
        QVERIFY(renders(options << "Hi" << file));
        const QImage board(file);
        QVERIFY(!board.isNull());
        QCOMPARE(board.width() % cell, 0);
        QCOMPARE(board.height() % cell, 0);
        QSet<QRgb> centres;
        const int middle = (cell - 1) / 2;
        for (int y = 0; y < board.height(); y += cell)
            for (int x = 0; x < board.width(); x += cell) {
                centres.insert(board.pixel(x + middle, y + middle));
                if (shape == "round")
                    QCOMPARE(board.pixel(x, y), qRgb(0, 0, 0));
            }
        QCOMPARE(centres, (QSet<QRgb>{lit, unlit}));
        if (shape == "square")
            for (int y = 0; y < board.height(); ++y)
                QCOMPARE(board.pixel(cell - 1, y), qRgb(0, 0, 0));
    }

    // Each preset lights its dots in its colour: the lit centre's strongest channel is the colour's own.
    void presetColours_data() {
        QTest::addColumn<QString>("color");
        QTest::addColumn<QString>("strongest"); // the channels at 255, above the others
        for (const auto& [color, strongest] :
             {std::pair{"red", "r"}, {"amber", "r"}, {"yellow", "r"}, {"green", "g"}, {"blue", "b"}, {"white", "rgb"}})
            QTest::newRow(color) << QString::fromLatin1(color) << QString::fromLatin1(strongest);
    }
    void presetColours() {
        QFETCH(QString, color);
        QFETCH(QString, strongest);
        const QString file = path("preset-" + color + ".png");
        QVERIFY(renders({"--color", color, "Hi", file}));
        const QImage board(file);
        QRgb brightest = 0; // the lit dot's centre is the brightest cell centre
        for (int y = 3; y < board.height(); y += 8)
            for (int x = 3; x < board.width(); x += 8)
                if (qGray(board.pixel(x, y)) > qGray(brightest))
                    brightest = board.pixel(x, y);
        const int channels[] = {qRed(brightest), qGreen(brightest), qBlue(brightest)};
        for (int i = 0; i < 3; ++i) {
            const bool strong = strongest.contains(QLatin1Char("rgb"[i]));
            QVERIFY2(strong ? channels[i] == 255 : channels[i] < 255, qPrintable(QString::number(brightest, 16)));
        }
    }

    // A panel's board is exactly its rows high, whatever the face and the message; no rows is today's board.
    void panelBoardsAreTheirRowsHigh_data() {
        QTest::addColumn<QString>("face");
        for (const char* face : {"IPAPGothic", "Unifont", "Shinonome Gothic", "MisakiGothic"})
            QTest::newRow(face) << QString::fromLatin1(face);
    }
    void panelBoardsAreTheirRowsHigh() {
        QFETCH(QString, face);
        for (const int rows : {7, 8, 12, 16, 32}) {
            const QString file = path(QStringLiteral("rows-%1.png").arg(rows));
            QVERIFY(renders({"--font", face, "--rows", QString::number(rows), "Lumidot 漢字 gyp", file}));
            QCOMPARE(cellsOf(file).height(), rows);
        }
        QVERIFY(renders({"--font", face, "--rows", "0", "Lumidot", path("rows-0.png")}));
        QVERIFY(renders({"--font", face, "Lumidot", path("no-rows.png")}));
        QCOMPARE(readAll(path("rows-0.png")), readAll(path("no-rows.png")));
    }

    void listDotFontsPrintsFacesWithTheirHeights() {
        const Outcome outcome = render({"--list-dot-fonts"});
        QCOMPARE(outcome.exitCode, 0);
        const QStringList lines = QString::fromUtf8(outcome.output).split(u'\n', Qt::SkipEmptyParts);
        QVERIFY(lines.contains(QStringLiteral("Unifont\t16")));
        QVERIFY(lines.contains(QStringLiteral("MisakiGothic\t8")));
        QVERIFY(lines.contains(QStringLiteral("Shinonome Gothic\t12 14 16")));
        for (const QString& line : lines)
            QVERIFY2(QRegularExpression(QStringLiteral("^[^\t]+\t\\d+( \\d+)*$")).match(line).hasMatch(),
                     qPrintable(line));
    }

    // The window with a panel set in its panel window draws the same board as lumidot-render with its file.
    void panelSetInItsWindowRendersAsTheCommandLine() {
        app::LoadSettings();
        app::SaveSettings();
        app::frmMain window;
        window.Form_Load();
        window.FLD[0]->setText(QStringLiteral("本日特売\n10:00-20:00"));
        {
            app::frmPanel panel(window.dotFaces());
            panel.Form_Load();
            panel.NUM[0]->setValue(32);
            panel.NUM[1]->setValue(2);
            panel.ALN->setCurrentIndex(panel.ALN->findText(QStringLiteral("中央揃え")));
            panel.FNT->setCurrentIndex(panel.FNT->findData(QStringLiteral("Shinonome Gothic")));
            QTest::mouseClick(panel.BTN[0], Qt::LeftButton);
        }
        QTest::mouseClick(window.BTN[0], Qt::LeftButton);
        QCOMPARE(window.boardState().Cells.rows, 32);
        answerFileDialogsWith(path("panel-window.png"));
        QTest::mouseClick(window.BTN[1], Qt::LeftButton);
        // The message keeps its line break in the file, and the command line reads it from there.
        QVERIFY(renders({"--settings", app::Settings.IniPath, "本日特売\n10:00-20:00", path("panel-render.png")}));
        QCOMPARE(readAll(path("panel-render.png")), readAll(path("panel-window.png")));
        QCOMPARE(app::readSettings(app::Settings.IniPath).Mongon, QStringLiteral("本日特売\n10:00-20:00"));
        app::Settings.PanelRows = 0; // the other tests' window draws plain boards
        app::SaveSettings();
    }

    // Marks take no room: the board lights the cells of the text without them, each cell in its character's
    // colour (which letter a column belongs to: from a board of "AB" alone). Without --markup the braces are
    // drawn, as the marked message draws them written as {{.
    void marksColourTheCellsOfTheirCharacters() {
        QVERIFY(renders({"--markup", "{#FF0000}AB{#00FF00}CD", path("marked.png")}));
        QVERIFY(renders({"ABCD", path("abcd.png")}));
        QVERIFY(renders({"AB", path("ab.png")}));
        const QImage marked(path("marked.png"));
        const QImage plain(path("abcd.png"));
        QCOMPARE(marked.size(), plain.size());
        const QSize cell = ui::builtinLitDot().size();
        const QImage litDot = ui::builtinLitDot().convertToFormat(QImage::Format_RGB32);
        const int firstGreen = cellsOf(path("ab.png")).width();
        int lit = 0;
        for (int y = 0; y < plain.height(); y += cell.height()) {
            for (int x = 0; x < plain.width(); x += cell.width()) {
                const QImage shown = marked.copy(QRect(QPoint(x, y), cell)).convertToFormat(QImage::Format_RGB32);
                const QImage unmarked = plain.copy(QRect(QPoint(x, y), cell)).convertToFormat(QImage::Format_RGB32);
                if (unmarked != litDot) {
                    QCOMPARE(shown, unmarked);
                    continue;
                }
                ++lit;
                // A red cell has no green nor blue, a green one no red nor blue.
                const bool green = x / cell.width() >= firstGreen;
                int brightest = 0;
                for (int py = 0; py < cell.height(); ++py) {
                    for (int px = 0; px < cell.width(); ++px) {
                        const QRgb pixel = shown.pixel(px, py);
                        QCOMPARE(qBlue(pixel), 0);
                        QCOMPARE(green ? qRed(pixel) : qGreen(pixel), 0);
                        brightest = std::max(brightest, green ? qGreen(pixel) : qRed(pixel));
                    }
                }
                QVERIFY(brightest > 128);
            }
        }
        QVERIFY(lit > 20);

        QVERIFY(renders({"{#FF0000}AB{#00FF00}CD", path("braces.png")}));
        QVERIFY(renders({"--markup", "{{#FF0000}AB{{#00FF00}CD", path("escaped.png")}));
        QCOMPARE(readAll(path("braces.png")), readAll(path("escaped.png")));
        QVERIFY(cellsOf(path("braces.png")).width() > cellsOf(path("abcd.png")).width() + 20);
    }

    // With generated dots (the settings file's [Panel] Color), a mark's cells take the dot generated in its
    // colour: here squares of 6 × 6 pixels, green but for the black gap along their right and bottom edges,
    // and no cell in the sign's own red.
    void marksTakeGeneratedDotsInTheirColour() {
        QVERIFY(testsupport::writeAll(path("generated.ini"), "[Panel]\nColor=red\nShape=Square\nDotSize=6\nUnlit=0\n"));
        QVERIFY(renders({"--settings", path("generated.ini"), "--markup", "{green}H", path("generated.png")}));
        const QImage board = QImage(path("generated.png")).convertToFormat(QImage::Format_RGB32);
        const auto dotIn = [](QRgb colour) {
            QImage dot(6, 6, QImage::Format_RGB32);
            for (int y = 0; y < 6; ++y)
                for (int x = 0; x < 6; ++x)
                    dot.setPixel(x, y, x < 5 && y < 5 ? colour : qRgb(0, 0, 0));
            return dot;
        };
        int green = 0;
        int red = 0;
        for (int y = 0; y + 6 <= board.height(); y += 6)
            for (int x = 0; x + 6 <= board.width(); x += 6) {
                const QImage cell = board.copy(QRect(x, y, 6, 6));
                green += cell == dotIn(qRgb(0, 255, 0));
                red += cell == dotIn(qRgb(255, 0, 0));
            }
        QVERIFY(green > 10);
        QCOMPARE(red, 0);
    }

    // The panel window's check box turns the marks on; the window then draws what lumidot-render draws from
    // its settings file. A mark that cannot be read is told in the status line on 開始, and the board, the
    // stored message and the file stay as they were.
    void marksSetInThePanelWindowRenderAsTheCommandLine() {
        app::LoadSettings();
        app::SaveSettings();
        app::frmMain window;
        window.Form_Load();
        {
            app::frmPanel panel(window.dotFaces());
            panel.Form_Load();
            QVERIFY(!panel.MKP->isChecked());
            panel.MKP->setChecked(true);
            QTest::mouseClick(panel.BTN[0], Qt::LeftButton);
        }
        QCOMPARE(app::readSettings(app::Settings.IniPath).PanelMarkup, 1);
        const QString message = QStringLiteral("{red}SALE {#00FF00}10:00");
        window.FLD[0]->setText(message);
        QTest::mouseClick(window.BTN[0], Qt::LeftButton);
        QCOMPARE(window.boardState().ColourCellPictures.size(), size_t(2));
        answerFileDialogsWith(path("marks-window.png"));
        QTest::mouseClick(window.BTN[1], Qt::LeftButton);
        QVERIFY(renders({"--settings", app::Settings.IniPath, message, path("marks-render.png")}));
        QCOMPARE(readAll(path("marks-render.png")), readAll(path("marks-window.png")));

        const QImage board = window.boardState().Board.image();
        const board::CellGrid cells = window.boardState().Cells;
        const QByteArray settings = readAll(app::Settings.IniPath);
        window.FLD[0]->setText(QStringLiteral("{purple}10:00"));
        QTest::mouseClick(window.BTN[0], Qt::LeftButton);
        QVERIFY2(window.MSG->text().contains(QLatin1String("\"{purple}\"")), qPrintable(window.MSG->text()));
        QCOMPARE(window.boardState().Board.image(), board);
        QCOMPARE(window.boardState().Cells, cells);
        QCOMPARE(readAll(app::Settings.IniPath), settings);
        window.FLD[0]->setText(QStringLiteral("{green}10:00"));
        QTest::mouseClick(window.BTN[0], Qt::LeftButton);
        QCOMPARE(window.MSG->text(), QStringLiteral("Lumidot"));

        app::Settings.PanelMarkup = 0; // the other tests' window reads braces as text
        app::SaveSettings();
    }

    void standardOutputIsWhatAFileGets_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QByteArray>("signature");
        QTest::newRow("PNG by default") << "" << QByteArray("\x89PNG\r\n\x1a\n");
        QTest::newRow("png") << "png" << QByteArray("\x89PNG\r\n\x1a\n");
        QTest::newRow("bmp") << "bmp" << QByteArray("BM");
        QTest::newRow("jpg") << "jpg" << QByteArray("\xff\xd8\xff");
        QTest::newRow("gif") << "gif" << QByteArray("GIF89a");
        QTest::newRow("webp") << "webp" << QByteArray("RIFF");
    }
    void standardOutputIsWhatAFileGets() {
        QFETCH(QString, format);
        QFETCH(QByteArray, signature);
        const QString file = path("stdout." + (format.isEmpty() ? QStringLiteral("png") : format));
        QVERIFY(renders({"Hi", file}));
        const Outcome outcome =
            render(format.isEmpty() ? QStringList{"Hi", "-"} : QStringList{"--format", format, "Hi", "-"});
        QCOMPARE(outcome.exitCode, 0);
        QVERIFY2(outcome.errors.isEmpty(), qPrintable(outcome.errors));
        QVERIFY(outcome.output.startsWith(signature));
        QCOMPARE(outcome.output, readAll(file));
    }

    void messageFile_data() {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<bool>("standardInput");
        QTest::addColumn<QString>("message");
        QTest::newRow("file") << QByteArray("Hi\r\n") << false << "Hi";
        QTest::newRow("standard input, Japanese") << QByteArray("点灯\n") << true << "点灯";
    }
    void messageFile() {
        QFETCH(QByteArray, contents);
        QFETCH(bool, standardInput);
        QFETCH(QString, message);
        QVERIFY(renders({message, path("argument.png")}));
        QVERIFY(testsupport::writeAll(path("message.txt"), contents));
        const QString source = standardInput ? QStringLiteral("-") : path("message.txt");
        const Outcome outcome = render({"--message-file", source, path("file.png")}, standardInput ? contents : "");
        QCOMPARE(outcome.exitCode, 0);
        QCOMPARE(readAll(path("file.png")), readAll(path("argument.png")));
    }

    void listFontsPrintsTheWindowsFaces() {
        const Outcome outcome = render({"--list-fonts"});
        QCOMPARE(outcome.exitCode, 0);
        QVERIFY(outcome.errors.isEmpty());
        QStringList expected;
        board::GetFontList(expected);
        QCOMPARE(QString::fromUtf8(outcome.output).split(u'\n', Qt::SkipEmptyParts), expected);
        QVERIFY(expected.contains(QStringLiteral("IPAPGothic")));
    }

    // Qt names a family that several foundries make "Family [Foundry]". A face is listed for a foundry only
    // when that foundry made an outline (TrueType or CFF) file of it, as fontconfig, run as a process of
    // its own, reports: here a Type 1 face of an installed TrueType family, from another foundry.
    void listedFacesAreOutlinesOfTheirFoundry() {
        QTemporaryDir fonts;
        QVERIFY(testsupport::writeAll(fonts.filePath("probe.pfa"), type1Font("IPAGothic")));
        // The cache folder comes first, so that fontconfig writes the new folder's cache there.
        QVERIFY(testsupport::writeAll(fonts.filePath("fonts.conf"),
                                      "<?xml version=\"1.0\"?>\n<fontconfig>\n<cachedir>" +
                                          fonts.filePath("cache").toUtf8() +
                                          "</cachedir>\n<include>/etc/fonts/fonts.conf</include>\n<dir>" +
                                          fonts.path().toUtf8() + "</dir>\n</fontconfig>\n"));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("FONTCONFIG_FILE"), fonts.filePath("fonts.conf"));

        QProcess fcList;
        fcList.setProcessEnvironment(environment);
        fcList.start(QStringLiteral("fc-list"), {"-f", "%{family[0]}\\t%{family}\\t%{foundry}\\t%{fontformat}\\n"});
        QVERIFY(fcList.waitForFinished(60000) && fcList.exitCode() == 0);
        QHash<QString, QHash<QString, bool>> outline;     // family → foundry (case-folded) → an outline file exists
        QHash<QString, QSet<QString>> firstNameFoundries; // as each font file's first family name
        for (const QString& line : QString::fromUtf8(fcList.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts)) {
            const QStringList fields = line.split(u'\t');
            QCOMPARE(fields.size(), 4);
            const QString foundry = fields[2].toCaseFolded();
            const bool isOutline = fields[3] == QLatin1String("TrueType") || fields[3] == QLatin1String("CFF");
            for (const QString& family : fields[1].split(u','))
                outline[family][foundry] = outline[family].value(foundry) || isOutline;
            firstNameFoundries[fields[0]].insert(foundry);
        }
        QCOMPARE(outline.value("IPAGothic").value("urw", true), false); // the probe is there, and alone

        const Outcome outcome = render({"--list-fonts"}, {}, environment);
        QCOMPARE(outcome.exitCode, 0);
        const QStringList listed = QString::fromUtf8(outcome.output).split(u'\n', Qt::SkipEmptyParts);
        const QRegularExpression withFoundry(QStringLiteral("^(.*) \\[(.*)\\]$"));
        for (const QString& face : listed) {
            const QRegularExpressionMatch match = withFoundry.match(face);
            const QHash<QString, bool> made = outline.value(match.hasMatch() ? match.captured(1) : face);
            QVERIFY2(match.hasMatch() ? made.value(match.captured(2).toCaseFolded()) : made.values().contains(true),
                     qPrintable(face));
        }
        for (auto family = firstNameFoundries.cbegin(); family != firstNameFoundries.cend(); ++family) {
            if (family.value().size() < 2)
                continue;
            for (const QString& foundry : family.value()) {
                const QString face = family.key() + " [" + foundry + ']';
                QCOMPARE(listed.contains(face, Qt::CaseInsensitive), outline[family.key()][foundry]);
            }
        }
    }

    void pngCompressionNamesAreTheSettings() {
        QSet<QByteArray> distinct;
        for (const output::PngSetting& setting : output::PngSettings) {
            const QString name = QLatin1String(setting.name);
            QVERIFY(renders({"--png-compression", name, "Lumidot", path("named.png")}));
            QVERIFY(renders({"--png-setting", QString::number(setting.stored), "Lumidot", path("numbered.png")}));
            QCOMPARE(readAll(path("named.png")), readAll(path("numbered.png")));
            distinct.insert(readAll(path("named.png")));
        }
        QCOMPARE(distinct.size(), 3); // each name chooses a setting of its own
    }

    void aFailedFrameSaysWhichFileAndHowManyWereWritten() {
        QVERIFY(QDir(m_folder.path()).mkdir("stuck-2.png")); // a folder where the second frame would go
        const Outcome outcome = render({"--frames", "3", "Hi", path("stuck.png")});
        QCOMPARE(outcome.exitCode, 1);
        QVERIFY2(outcome.errors.contains("stuck-2.png") && outcome.errors.contains("1 of 3 frames"),
                 qPrintable(outcome.errors));
        QVERIFY(QFile::exists(path("stuck-1.png")));
    }

    void framesAreOneRotationApart() {
        QVERIFY(renders({"--frames", "3", "--direction", "up", "Hi", path("frame.png")}));
        const QImage first(path("frame-1.png")), third(path("frame-3.png"));
        QVERIFY(!first.isNull() && !third.isNull());
        QVERIFY(!QFile::exists(path("frame.png")));
        // Two rows of 8-pixel cells moved up, wrapping at the bottom.
        const int shift = 16;
        for (int y = 0; y < first.height(); ++y)
            for (int x = 0; x < first.width(); x += 3)
                QCOMPARE(third.pixel(x, y), first.pixel(x, (y + shift) % first.height()));
    }

    void framesCycleIsOneWholeCycle_data() {
        QTest::addColumn<QString>("direction");
        QTest::addColumn<int>("panel");
        QTest::addColumn<int>("step");
        QTest::newRow("left, whole board") << "left" << 0 << 1;
        QTest::newRow("right, a panel wider than the board") << "right" << 40 << 1;
        QTest::newRow("left, two cells a step") << "left" << 0 << 2;
        QTest::newRow("up") << "up" << 0 << 1;
    }
    void framesCycleIsOneWholeCycle() {
        QFETCH(QString, direction);
        QFETCH(int, panel);
        QFETCH(int, step);
        const QSize cells = cellsOf(path("hi.png"));
        const int cycle = direction == "up" ? cells.height() : std::max(cells.width(), panel);
        QVERIFY2(cycle % step == 0, "the step must divide the cycle of this board");
        const QString name = QStringLiteral("cycle-%1-%2-%3").arg(direction).arg(panel).arg(step);
        QVERIFY(renders({"--frames", "cycle", "--direction", direction, "--panel", QString::number(panel), "--step",
                         QString::number(step), "Hi", path(name + ".png")}));
        const int frames = cycle / step;
        const QStringList written = QDir(m_folder.path()).entryList({name + "-*.png"}, QDir::Files, QDir::Name);
        QCOMPARE(written.size(), frames);
        const int digits = QString::number(frames).size();
        QCOMPARE(written.first(), QStringLiteral("%1-%2.png").arg(name).arg(1, digits, 10, QLatin1Char('0')));
        QCOMPARE(written.last(), QStringLiteral("%1-%2.png").arg(name).arg(frames));
    }

    // Frame k of the animation is frame file k cut to the panel, for a board wider and one narrower than it.
    void animationFramesAreThePanelsOfTheFrameFiles_data() {
        QTest::addColumn<AnimationFormat>("format");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QString>("direction");
        QTest::addColumn<int>("panel");
        QTest::addColumn<int>("step");
        QTest::addColumn<QStringList>("more");
        for (const auto& [format, extension] :
             {std::pair{AnimationFormat::Gif, "gif"}, std::pair{AnimationFormat::WebP, "webp"},
              std::pair{AnimationFormat::Apng, "png"}}) {
            QTest::addRow("%s, board wider than the panel, held", extension)
                << format << extension << "left" << 5 << 1 << QStringList{"--hold", "300", "--blink", "1"};
            QTest::addRow("%s, board narrower than the panel", extension)
                << format << extension << "right" << 20 << 1 << QStringList{};
            QTest::addRow("%s, two cells a frame after a gap", extension)
                << format << extension << "up" << 7 << 1 << QStringList{"--gap", "3"};
        }
    }
    // The frame files of --frames cycle are the animation's frames, cut to the panel, held and blank ones too.
    void animationFramesAreThePanelsOfTheFrameFiles() {
        QFETCH(AnimationFormat, format);
        QFETCH(QString, extension);
        QFETCH(QString, direction);
        QFETCH(int, panel);
        QFETCH(int, step);
        QFETCH(QStringList, more);
        const QStringList options =
            QStringList{
                "--direction", direction, "--panel", QString::number(panel), "--step", QString::number(step), "--delay",
                "80",          "--loop",  "3"} +
            more;
        const QString animation = path("animation." + extension);
        QVERIFY(renders(options + QStringList{"--animate", "Hi", animation}));
        const QString frames = QStringLiteral("panel%1").arg(++m_runs);
        QVERIFY(renders(options + QStringList{"--frames", "cycle", "Hi", path(frames + ".png")}));
        const QStringList files = QDir(m_folder.path()).entryList({frames + "-*.png"}, QDir::Files, QDir::Name);

        const animationdecoders::Decoded decoded = animationdecoders::decode(format, animation);
        QVERIFY2(decoded.problem.isEmpty(), qPrintable(decoded.problem));
        QCOMPARE(decoded.frames.size(), files.size());
        QCOMPARE(decoded.plays, 3);
        const int cellWidth = ui::builtinLitDot().width();
        for (int k = 0; k < files.size(); ++k) {
            const QImage file(path(files[k]));
            QCOMPARE(file.width(), panel * cellWidth);
            QCOMPARE(decoded.frames[k], file.convertToFormat(QImage::Format_RGB32));
            // Held: the first frame (the message's first column at the left edge), 300 ms.
            QCOMPARE(decoded.delaysMs[k], animationdecoders::writtenDelay(
                                              format, k == 0 && !more.isEmpty() && more[0] == "--hold" ? 300 : 80));
        }
    }

    // A sign on a 64-cell panel, each frame read back as cells: the gap, the blank entrance, the hold, the blinks.
    void aSignEntersPausesBlinksAndLeaves() {
        const QString message = QStringLiteral("本日特売 10:00-20:00");
        QVERIFY(renders({message, path("sale.png")}));
        const int width = cellsOf(path("sale.png")).width();
        QVERIFY(width > 64);
        const QImage lit = ui::builtinLitDot().convertToFormat(QImage::Format_RGB32);
        // Each frame's columns that hold a lit cell.
        const auto litColumns = [&](const QImage& frame) {
            QSet<int> columns;
            for (int y = 0; y < frame.height(); y += lit.height())
                for (int x = 0; x < frame.width(); x += lit.width())
                    if (frame.copy(x, y, lit.width(), lit.height()) == lit)
                        columns.insert(x / lit.width());
            return columns;
        };
        const auto framesOf = [&](const QStringList& options, const QString& name) {
            if (!renders(QStringList{"--panel", "64"} + options + QStringList{message, path(name)}))
                return animationdecoders::Decoded{};
            return animationdecoders::decode(*scroll::animationFormatOf(name), path(name));
        };
        // The message leaves the panel whole before it comes again, or after the gap asked for.
        QCOMPARE(framesOf({}, "gap.gif").frames.size(), width + 64);
        QCOMPARE(framesOf({"--gap", "5"}, "gap5.gif").frames.size(), width + 5);

        const animationdecoders::Decoded blank = framesOf({"--enter", "blank"}, "blank.gif");
        QVERIFY(litColumns(blank.frames[0]).isEmpty());
        int first = 1;
        while (litColumns(blank.frames[first]).isEmpty())
            ++first;
        QCOMPARE(litColumns(blank.frames[first]), QSet<int>{63}); // at the right edge

        for (const char* name : {"held.gif", "held.webp", "held.png"}) {
            const animationdecoders::Decoded held = framesOf({"--animate", "--hold", "1000", "--blink", "3"}, name);
            QCOMPARE(held.frames.size(), width + 64 + 6);
            QCOMPARE(held.delaysMs.count(1000), 1);
            const int unlitFrames = int(std::count_if(held.frames.begin(), held.frames.end(), [&](const QImage& frame) {
                return litColumns(frame).isEmpty();
            }));
            QCOMPARE(unlitFrames, int(std::count_if(blank.frames.begin(), blank.frames.end(),
                                                    [&](const QImage& frame) { return litColumns(frame).isEmpty(); })) +
                                      3);
        }
    }

    // A 30-character sign on a 32 × 16 panel fits a small microcontroller: the strip once, not every frame.
    void aHeaderHoldsTheStripOnce() {
        const QString message = QStringLiteral("本日特売 10:00-20:00 OPEN NOW!!!!!");
        QCOMPARE(message.size(), 30);
        QVERIFY(renders({"--rows", "16", "--panel", "32", "--name", "sign", message, path("sign.h")}));
        const QString text = QString::fromUtf8(readAll(path("sign.h")));
        const QRegularExpressionMatch strip = QRegularExpression(QStringLiteral("sign_strip\\[(\\d+)\\]")).match(text);
        QVERIFY(strip.hasMatch());
        QVERIFY2(strip.captured(1).toInt() <= 20736 / 10, qPrintable(strip.captured(1)));
    }

    // The example for an ATmega328P builds with the header, and its data fits in 2 KB of flash.
    void theMicrocontrollerExampleBuilds() {
        const QString compiler = QStandardPaths::findExecutable(QStringLiteral("avr-gcc"));
        if (compiler.isEmpty())
            QFAIL("avr-gcc is not installed (Debian's gcc-avr and avr-libc; tools/install-deps.sh installs them)");
        QVERIFY(renders({"--rows", "16", "--panel", "32", "--name", "sign", "--progmem", "--animate", "--hold", "1000",
                         QStringLiteral("本日特売 10:00-20:00 OPEN NOW!!!!!"), path("sign.h")}));
        QProcess build;
        build.setWorkingDirectory(m_folder.path());
        build.start(compiler,
                    {"-mmcu=atmega328p", "-DF_CPU=16000000UL", "-Os", "-std=c99", "-Wall", "-Wextra", "-Werror", "-I.",
                     QStringLiteral(LUMIDOT_SOURCE_DIR "/docs/examples/led-matrix/led-matrix.c"), "-o",
                     "led-matrix.elf"});
        QVERIFY(build.waitForFinished(120000));
        QVERIFY2(build.exitCode() == 0, build.readAllStandardError().constData());
        QProcess symbols;
        symbols.setWorkingDirectory(m_folder.path());
        symbols.start(QStringLiteral("avr-nm"), {"--print-size", "led-matrix.elf"});
        QVERIFY(symbols.waitForFinished(60000) && symbols.exitCode() == 0);
        const QRegularExpressionMatch strip =
            QRegularExpression(QStringLiteral("^[0-9a-f]+ ([0-9a-f]+) [tT] sign_strip$"),
                               QRegularExpression::MultilineOption)
                .match(QString::fromLatin1(symbols.readAllStandardOutput()));
        QVERIFY(strip.hasMatch());
        const int bytes = strip.captured(1).toInt(nullptr, 16);
        QProcess size;
        size.setWorkingDirectory(m_folder.path());
        size.start(QStringLiteral("avr-size"), {"led-matrix.elf"});
        QVERIFY(size.waitForFinished(60000));
        qInfo("ATmega328P: the sign's data takes %d bytes of flash; avr-size:\n%s", bytes,
              size.readAllStandardOutput().constData());
        QVERIFY(bytes <= 2048);
    }

    void animationSettingsComeFromTheSettingsFile_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("direction");
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("delay");
        QTest::newRow("all from the file") << QStringList{} << "up" << 2 << 120;
        QTest::newRow("the command line wins")
            << QStringList{"--direction", "left", "--step", "1", "--delay", "200"} << "left" << 1 << 200;
    }
    void animationSettingsComeFromTheSettingsFile() {
        QFETCH(QStringList, options);
        QFETCH(QString, direction);
        QFETCH(int, step);
        QFETCH(int, delay);
        QVERIFY(
            testsupport::writeAll(path("animation.ini"), "[Animation]\nPanel=6\nDelay=120\nDirection=Up\nStep=2\n"));
        QVERIFY(renders(QStringList{"--settings", path("animation.ini")} + options +
                        QStringList{"Hello", path("settings.gif")}));
        QVERIFY(renders({"Hello", path("hello.png")}));
        const QSize cells = cellsOf(path("hello.png"));
        // Moving left the message leaves the 6-cell panel whole before it comes again.
        const int cycle = direction == "up" ? cells.height() : cells.width() + 6;

        const animationdecoders::Decoded decoded = animationdecoders::decodeGif(path("settings.gif"));
        QVERIFY2(decoded.problem.isEmpty(), qPrintable(decoded.problem));
        QCOMPARE(decoded.frames.size(), cycle / step);
        QCOMPARE(decoded.frames[0].width(), 6 * ui::builtinLitDot().width());
        QCOMPARE(decoded.delaysMs[0], delay);
    }

    // The built-in defaults read alike in a decimal-comma locale: the same board as anywhere else.
    void decimalCommaLocale_data() {
        QTest::addColumn<QString>("locale");
        QTest::newRow("German") << "de_DE.UTF-8";
        QTest::newRow("French") << "fr_FR.UTF-8";
    }
    void decimalCommaLocale() {
        QFETCH(QString, locale);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("LC_ALL"), locale);
        environment.insert(QStringLiteral("LANG"), locale);
        const Outcome outcome = render({"Hi", path("locale.png")}, {}, environment);
        QCOMPARE(outcome.exitCode, 0);
        QVERIFY2(outcome.errors.isEmpty(), qPrintable(outcome.errors));
        QCOMPARE(readAll(path("locale.png")), readAll(path("hi.png")));
    }

    // A message or settings file that no board could use, or that would wait forever, is refused at once.
    void inputsThatCannotBeRead_data() {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("reason");
        for (const char* option : {"message-file", "settings"}) {
            // clang-format off
            QTest::addRow("%s /dev/zero", option) << option << "/dev/zero" << "larger than";
            QTest::addRow("%s of 1 GiB", option) << option << "huge.txt" << "larger than";
            QTest::addRow("%s, a named pipe nobody writes to", option) << option << "pipe" << "no program writes";
            // clang-format on
        }
    }
    void inputsThatCannotBeRead() {
        QFETCH(QString, option);
        QFETCH(QString, file);
        QFETCH(QString, reason);
        if (!file.startsWith(u'/'))
            file = path(file);
        QFile huge(path("huge.txt"));
        QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(qint64(1) << 30)); // sparse: takes no disk
        huge.close();
        QVERIFY(QFile::exists(path("pipe")) || mkfifo(QFile::encodeName(path("pipe")).constData(), 0600) == 0);
        const QStringList message = option == "settings" ? QStringList{"Hi"} : QStringList{};
        const Outcome outcome = render(QStringList{"--" + option, file} + message + QStringList{path("x.png")});
        QCOMPARE(outcome.exitCode, 1);
        QVERIFY2(outcome.errors.contains(file) && outcome.errors.contains(reason), qPrintable(outcome.errors));
        QVERIFY(!QFile::exists(path("x.png")));
    }

    // The settings come from the bytes of one read, so standard input and pipes serve as files do.
    void settingsFromStandardInputOrAPipe_data() {
        QTest::addColumn<QString>("source");
        QTest::newRow("standard input") << "-";
        QTest::newRow("a pipe by its name") << "/dev/stdin";
    }
    void settingsFromStandardInputOrAPipe() {
        QFETCH(QString, source);
        QVERIFY(renders({"--size", "20", "Hi", path("size20.png")}));
        const Outcome outcome = render({"--settings", source, "Hi", path("piped.png")}, "[Font]\nSize=20\n");
        QCOMPARE(outcome.exitCode, 0);
        QVERIFY2(outcome.errors.isEmpty(), qPrintable(outcome.errors));
        QCOMPARE(readAll(path("piped.png")), readAll(path("size20.png")));
        QVERIFY(readAll(path("piped.png")) != readAll(path("hi.png")));
    }

    // fontconfig names a face in each language it has names in ("IPAGothic,IPAゴシック"); any of them will do.
    void aFaceByAnyOfItsNames() {
        QStringList listed;
        board::GetFontList(listed);
        QStringList names;
        for (const QString& line : fcList({":", "family"})) {
            names = line.split(u',');
            if (names.size() > 1 && listed.contains(names.first()))
                break;
            names.clear();
        }
        if (names.isEmpty())
            QSKIP("no listed face has a second name here");
        QVERIFY(renders({"--font", names.first(), "Hi", path("first-name.png")}));
        QVERIFY(renders({"--font", names.last(), "Hi", path("other-name.png")}));
        QCOMPARE(readAll(path("other-name.png")), readAll(path("first-name.png")));
    }

    // A character no installed face has is named on standard error, and the board is still written; one
    // that a stand-in face draws is not.
    void charactersNoFaceCanDrawAreNamed() {
        const auto facesWith = [](char32_t character, const QString& family = {}) {
            return fcList({family + QStringLiteral(":charset=%1").arg(uint(character), 0, 16), "family"});
        };
        char32_t undrawable = 0;
        char32_t byStandIn = 0;
        for (const char32_t c : {U'\U00013000', U'\U0010FFFD', U'\U0001F363'})
            if (!undrawable && facesWith(c).isEmpty())
                undrawable = c;
        for (const char32_t c : {U'\u0E01', U'\uD55C', U'\U0001F363'})
            if (!byStandIn && !facesWith(c).isEmpty() && facesWith(c, "IPAPGothic").isEmpty())
                byStandIn = c;
        if (!undrawable || !byStandIn)
            QSKIP("every candidate character is drawn here, or none by a stand-in");
        const auto codePoint = [](char32_t c) {
            return QStringLiteral("U+%1").arg(uint(c), 4, 16, QLatin1Char('0')).toUpper();
        };
        const Outcome outcome =
            render({"H" + QString::fromUcs4(&undrawable, 1) + QString::fromUcs4(&byStandIn, 1), path("boxes.png")});
        QCOMPARE(outcome.exitCode, 0);
        QVERIFY2(outcome.errors.contains(codePoint(undrawable)), qPrintable(outcome.errors));
        QVERIFY2(!outcome.errors.contains(codePoint(byStandIn)), qPrintable(outcome.errors));
        QVERIFY(!QImage(path("boxes.png")).isNull());
    }

    void bitPatternsHoldOneFrameUnlessAnimated_data() {
        QTest::addColumn<bool>("animate");
        QTest::newRow("still") << false;
        QTest::newRow("animated") << true;
    }
    void bitPatternsHoldOneFrameUnlessAnimated() {
        QFETCH(bool, animate);
        const QStringList animation = animate ? QStringList{"--animate"} : QStringList{};
        QVERIFY(renders(animation + QStringList{"--panel", "4", "Hi", path("bits.pbm")}));
        const QSize cells = cellsOf(path("hi.png"));
        const QByteArray header = QStringLiteral("P4\n4 %1\n").arg(cells.height()).toLatin1();
        const QByteArray bits = readAll(path("bits.pbm"));
        QVERIFY(bits.startsWith(header));
        // Animated, a frame for every cell of the board and of the panel's gap after it.
        QCOMPARE(bits.size(), (header.size() + cells.height()) * (animate ? cells.width() + 4 : 1));
    }
};

QTEST_MAIN(TestRender)
#include "test_render.moc"
