#include "render/options.h"
#include "render/target.h"

#include "platform/atomicfile.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using render::Writes;

Q_DECLARE_METATYPE(std::optional<platform::ImageFormat>)

namespace {

// The request a command line makes, or the usage error it raises.
struct Parsed {
    render::Request request;
    QString usageError;
};

Parsed parse(const QStringList& arguments) {
    QCommandLineParser parser;
    render::addOptions(parser);
    try {
        return {render::parseCommandLine(parser, QStringList{"lumidot-render"} + arguments).request, {}};
    } catch (const render::UsageError& error) {
        return {{}, error.text};
    }
}

} // namespace

class TestRenderOptions : public QObject {
    Q_OBJECT

private slots:
    // Options that one format's writer alone takes are refused with any other output; JPEG goes by each of
    // its extensions.
    void outputFormatsAndTheirOptions_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("error"); // empty: the command line is taken
        QTest::addColumn<std::optional<platform::ImageFormat>>("still");
        const auto jpeg = std::optional(platform::ImageFormat::Jpeg);
        const auto png = std::optional(platform::ImageFormat::Png);
        const std::optional<platform::ImageFormat> none;
        // clang-format off
        QTest::newRow(".jpeg") << QStringList{"--quality", "90", "Hi", "x.jpeg"} << "" << jpeg;
        QTest::newRow(".JPE") << QStringList{"--progressive", "Hi", "x.JPE"} << "" << jpeg;
        QTest::newRow("jpeg to standard output") << QStringList{"--format", "jpeg", "Hi", "-"} << "" << jpeg;
        QTest::newRow("quality of JPEG frames") << QStringList{"--frames", "2", "--quality", "9", "Hi", "x.jpg"} << "" << jpeg;
        QTest::newRow("PNG compression of a PNG") << QStringList{"--png-compression", "small", "Hi", "x.png"} << "" << png;
        QTest::newRow("quality of a PNG") << QStringList{"--quality", "90", "Hi", "x.png"} << "--quality" << none;
        QTest::newRow("progressive GIF") << QStringList{"--progressive", "Hi", "x.gif"} << "--progressive" << none;
        QTest::newRow("PNG compression of a JPEG") << QStringList{"--png-compression", "fast", "Hi", "x.jpg"} << "--png-compression" << none;
        QTest::newRow("PNG setting of an APNG") << QStringList{"--animate", "--png-setting", "2", "Hi", "x.png"} << "--png-setting" << none;
        QTest::newRow("PNG setting of a bit pattern") << QStringList{"--png-setting", "2", "Hi", "x.pbm"} << "--png-setting" << none;
        QTest::newRow("standard input twice") << QStringList{"--settings", "-", "--message-file", "-", "-"} << "standard input" << none;
        // clang-format on
    }
    void outputFormatsAndTheirOptions() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, error);
        QFETCH(std::optional<platform::ImageFormat>, still);
        const Parsed parsed = parse(arguments);
        QVERIFY2(error.isEmpty() ? parsed.usageError.isEmpty() : parsed.usageError.contains(error),
                 qPrintable(parsed.usageError));
        if (error.isEmpty()) {
            QCOMPARE(parsed.request.type->still, still);
            QVERIFY(parsed.request.writes == Writes::Board || parsed.request.writes == Writes::Frames);
        }
    }

    // Number options read like the settings file and take the values the settings keys offer.
    void numbersTakeTheKeysRanges_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("error");
        // clang-format off
        QTest::newRow("size with a decimal comma") << QStringList{"--size", "10,5", "Hi", "x.png"} << "";
        QTest::newRow("largest panel") << QStringList{"--panel", "32767", "Hi", "x.gif"} << "";
        QTest::newRow("panel beyond a board") << QStringList{"--panel", "32768", "Hi", "x.gif"} << "0 to 32767";
        QTest::newRow("shortest delay") << QStringList{"--delay", "20", "Hi", "x.gif"} << "";
        QTest::newRow("delay too long") << QStringList{"--delay", "5001", "Hi", "x.gif"} << "20 to 5000";
        QTest::newRow("quality 0") << QStringList{"--quality", "0", "Hi", "x.jpg"} << "1 to 100";
        // clang-format on
    }
    void numbersTakeTheKeysRanges() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, error);
        const Parsed parsed = parse(arguments);
        QVERIFY2(error.isEmpty() ? parsed.usageError.isEmpty() : parsed.usageError.contains(error),
                 qPrintable(parsed.usageError));
        if (arguments.first() == "--size" && error.isEmpty())
            QCOMPARE(*parsed.request.size, 10.5f);
    }

    // A signal that ends a run writing to standard output takes its private folder with it: the picture
    // in it, the hidden file of the write in progress, and the folder.
    void aSignalRemovesTheStandardOutputFolder_data() {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGINT") << SIGINT;
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGHUP") << SIGHUP;
        QTest::newRow("SIGQUIT") << SIGQUIT;
    }
    void aSignalRemovesTheStandardOutputFolder() {
        QFETCH(int, signal);
        QTemporaryDir temporary;
        QVERIFY(temporary.isValid());
        const QByteArray previous = qgetenv("TMPDIR");
        qputenv("TMPDIR", QFile::encodeName(temporary.path()));
        const pid_t child = fork();
        if (child == 0) {
            const rlimit noCore{0, 0};
            setrlimit(RLIMIT_CORE, &noCore);
            platform::removeTemporaryFilesOnSignals();
            render::Target target(QStringLiteral("-"), *platform::outputTypeNamed(QStringLiteral("png")));
            QFile picture(target.fileName());
            platform::AtomicFile replacing(target.fileName());
            const bool written = picture.open(QIODevice::WriteOnly) && picture.write("picture") == 7 &&
                                 (picture.close(), replacing.open(QIODevice::WriteOnly));
            if (written && QDir(temporary.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size() == 1)
                ::raise(signal);
            _exit(3); // the folder was not as a run leaves it, or the signal did not end the process
        }
        qputenv("TMPDIR", previous);
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY2(WIFSIGNALED(status), qPrintable(QString::number(WEXITSTATUS(status))));
        QCOMPARE(WTERMSIG(status), signal);
        QCOMPARE(QDir(temporary.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList());
    }
};

QTEST_GUILESS_MAIN(TestRenderOptions)
#include "test_render_options.moc"
