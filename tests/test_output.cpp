#include "app/basCommon.h"
#include "output/CheckFile.h"
#include "platform/text.h"
#include "board/DrawBoard.h"
#include "board/cellrows.h"
#include "board/fontface.h"
#include "codec/TransG32.h"
#include "dots/colourmarks.h"
#include "output/writeboard.h"
#include "output/SaveBoard.h"
#include "platform/commondialogs.h"
#include "platform/errors.h"
#include "platform/failuretexts.h"
#include "platform/messagebox.h"
#include "tests/testsupport.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include <sys/mount.h>
#include <unistd.h>

using platform::ImageFormat;

using testsupport::readAll;

namespace {

ImageFormat formatOfBytes(const QByteArray& bytes) {
    if (bytes.startsWith("\x89PNG"))
        return ImageFormat::Png;
    if (bytes.startsWith("\xFF\xD8"))
        return ImageFormat::Jpeg;
    return ImageFormat::Bmp;
}

// The zlib compression level class (0 fastest .. 3 smallest) recorded in a PNG's first IDAT chunk.
int pngLevelClass(const QByteArray& png) {
    const qsizetype idat = png.indexOf("IDAT");
    return idat < 0 ? -1 : (uchar(png[idat + 5]) >> 6);
}

// Mean absolute difference per channel between two images of the same size.
double meanDifference(const QImage& a, const QImage& b) {
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
        }
    return sum / (3.0 * a.width() * a.height());
}

} // namespace

class TestOutput : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_folder;
    board::BoardState m_state = testsupport::windowBoard();
    struct Question {
        QString prompt;
        int style;
        QString title;
    };
    QList<Question> m_questions;
    int m_answer = platform::AnswerYes;
    platform::DialogAnswer m_dialogAnswer;
    QString m_status;

    QString path(const QString& name) const { return m_folder.filePath(name); }

    void answerSaveDialog(const QString& name, int filter) {
        m_dialogAnswer = {};
        m_dialogAnswer.accepted = true;
        m_dialogAnswer.paths = {name};
        m_dialogAnswer.filterIndex = filter;
    }

    void save() {
        output::SaveBoard(m_state.Board, QSize(m_state.CellWidth, m_state.CellHeight),
                          app::saveOptionsOf(app::Settings), nullptr, m_status,
                          [this](const QString& status) { m_status = status; });
    }

private slots:
    void initTestCase() {
        board::registerJapaneseFaceSubstitutions();
        app::setProgramFolder(m_folder.path());
        app::LoadSettings();
        board::applyFont(m_state, QStringLiteral("DejaVu Sans"), QStringLiteral("10"), false, false);
        board::DrawBoard(m_state, QStringLiteral("Sample"));
        platform::setMsgBoxHandler([this](const QString& prompt, int style, const QString& title) {
            m_questions.append({prompt, style, title});
            return m_answer;
        });
        platform::setFileDialogHandler([this](const platform::DialogRequest& request) {
            if (request.kind != platform::DialogKind::Save)
                return platform::DialogAnswer{};
            return m_dialogAnswer;
        });
    }

    void init() {
        m_questions.clear();
        m_answer = platform::AnswerYes;
        m_status = QStringLiteral("Lumidot");
        app::LoadSettings();
    }

    void findLastAndCheckFile() {
        QCOMPARE(int(platform::FindLast(QStringLiteral("/a/b/c.png"), QStringLiteral("/"))), 5);
        QCOMPARE(int(platform::FindLast(QStringLiteral("abcabc"), QStringLiteral("bc"))), 5);
        QCOMPARE(int(platform::FindLast(QStringLiteral("aXa"), QStringLiteral("x"))), 0);
        QCOMPARE(int(platform::FindLast(QStringLiteral(""), QStringLiteral("/"))), 0);
        QCOMPARE(int(platform::FindLast(QStringLiteral("a/b"), QString())), 0);

        QVERIFY(testsupport::writeAll(path("full.bmp"), "x"));
        QVERIFY(testsupport::writeAll(path("empty.bmp"), ""));
        QCOMPARE(int(output::CheckFile(QStringLiteral("   "))), 1);
        QCOMPARE(int(output::CheckFile(path("new.bmp"))), 2);
        QCOMPARE(int(output::CheckFile(path("empty.bmp"))), 3);
        QCOMPARE(int(output::CheckFile(path("full.bmp"))), 0);
        try {
            output::CheckFile(path("no-such-folder/x.bmp"));
            QFAIL("no error raised");
        } catch (const platform::RuntimeError& error) {
            QCOMPARE(error.number(), int(platform::ErrPathNotFound));
        }
    }

    void nameAndFormatFollowFilterAndExtension_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("filter");
        QTest::addColumn<QString>("written");
        QTest::addColumn<int>("format");
        const int bmp = int(ImageFormat::Bmp), jpeg = int(ImageFormat::Jpeg), png = int(ImageFormat::Png);
        QTest::newRow("filter 1, no extension") << "a" << 1 << "a.BMP" << bmp;
        QTest::newRow("filter 1, png") << "b.png" << 1 << "b.png" << png;
        QTest::newRow("filter 1, four-letter jpeg") << "c.jpeg" << 1 << "c.jpeg.BMP" << bmp;
        QTest::newRow("filter 2, lower-case bmp") << "d.bmp" << 2 << "d.bmp" << bmp;
        QTest::newRow("filter 3, png") << "x.png" << 3 << "x.png.JPG" << jpeg;
        QTest::newRow("filter 3, lower-case jpg") << "e.jpg" << 3 << "e.jpg" << jpeg;
        QTest::newRow("filter 4, mixed case") << "f.Png" << 4 << "f.Png" << png;
        QTest::newRow("trailing blanks") << "g.png   " << 1 << "g.png" << png;
    }
    void nameAndFormatFollowFilterAndExtension() {
        QFETCH(QString, typed);
        QFETCH(int, filter);
        QFETCH(QString, written);
        QFETCH(int, format);
        answerSaveDialog(path(typed), filter);
        save();
        const QByteArray bytes = readAll(path(written));
        QVERIFY2(!bytes.isEmpty(), qPrintable(written));
        QCOMPARE(int(formatOfBytes(bytes)), format);
        QCOMPARE(m_status, QStringLiteral(">") + written);
        QVERIFY(m_questions.isEmpty());
    }

    void writtenFilesHoldTheBoardsPixels() {
        const QImage board = m_state.Board.image().convertToFormat(QImage::Format_RGB32);
        for (const char* name : {"pixels.bmp", "pixels.png"}) {
            answerSaveDialog(path(name), 1);
            save();
            QCOMPARE(QImage(path(name)).convertToFormat(QImage::Format_RGB32), board);
        }
        app::Settings.JpegRate = 100;
        answerSaveDialog(path("pixels.jpg"), 1);
        save();
        const QImage jpeg(path("pixels.jpg"));
        QCOMPARE(jpeg.size(), board.size());
        QVERIFY(meanDifference(jpeg, board) < 4.0);
    }

    void jpegQualityAndProgressiveReachTheFile() {
        const auto jpegOf = [this](int quality, int progressive) {
            app::Settings.JpegRate = int16_t(quality);
            app::Settings.JpegPrgrs = int16_t(progressive);
            QFile::remove(path("q.jpg"));
            answerSaveDialog(path("q.jpg"), 3);
            save();
            return readAll(path("q.jpg"));
        };
        const QByteArray at50 = jpegOf(50, 0), at90 = jpegOf(90, 0), progressive = jpegOf(90, 1);
        QVERIFY(at50.size() < at90.size());
        QVERIFY(!at90.contains("\xFF\xC2"));       // baseline frame only
        QVERIFY(progressive.contains("\xFF\xC2")); // the progressive frame marker
        QVERIFY(!QImage::fromData(progressive).isNull());
    }

    void pngSettingChoosesTheCompressionLevel_data() {
        QTest::addColumn<int>("setting");
        QTest::addColumn<int>("levelClass");
        QTest::newRow("1 fastest") << 1 << 0;
        QTest::newRow("0 default") << 0 << 1;
        QTest::newRow("2 smallest") << 2 << 2;
        QTest::newRow("7 default") << 7 << 1;
    }
    void pngSettingChoosesTheCompressionLevel() {
        QFETCH(int, setting);
        QFETCH(int, levelClass);
        app::Settings.PngRate = int16_t(setting);
        QFile::remove(path("level.png"));
        answerSaveDialog(path("level.png"), 4);
        save();
        QCOMPARE(pngLevelClass(readAll(path("level.png"))), levelClass);
    }

    void overwritingAsksFirstUnlessTheFileIsEmpty() {
        QVERIFY(testsupport::writeAll(path("old.bmp"), "earlier"));
        m_answer = platform::AnswerNo;
        answerSaveDialog(path("old.bmp"), 1);
        save();
        QCOMPARE(m_questions.size(), 1);
        QCOMPARE(m_questions[0].prompt, QStringLiteral("上書きしますか？\r\n") + path("old.bmp"));
        QCOMPARE(m_questions[0].title, QStringLiteral("上書き確認"));
        QCOMPARE(m_questions[0].style, 36);
        QCOMPARE(readAll(path("old.bmp")), QByteArray("earlier"));
        QCOMPARE(m_status, QStringLiteral("Lumidot"));

        m_answer = platform::AnswerYes;
        save();
        QCOMPARE(formatOfBytes(readAll(path("old.bmp"))), ImageFormat::Bmp);
        QVERIFY(readAll(path("old.bmp")).startsWith("BM"));

        QVERIFY(testsupport::writeAll(path("empty.png"), ""));
        m_questions.clear();
        answerSaveDialog(path("empty.png"), 1);
        save();
        QVERIFY(m_questions.isEmpty());
        QVERIFY(readAll(path("empty.png")).startsWith("\x89PNG"));
    }

    void aCancelledDialogChangesNothing() {
        m_dialogAnswer = {};
        save();
        QCOMPARE(m_status, QStringLiteral("Lumidot"));
        QVERIFY(m_questions.isEmpty());
    }

    void aMissingFolderIsReportedAndTheSaveCancelled() {
        answerSaveDialog(path("no-such-folder/x.png"), 1);
        save();
        QCOMPARE(m_questions.size(), 1);
        QCOMPARE(m_questions[0].title, QStringLiteral("システムエラー"));
        QCOMPARE(m_questions[0].prompt, QStringLiteral("76:パスが見つかりません。"));
        QCOMPARE(m_questions[0].style, 16);
        QCOMPARE(m_status, QStringLiteral("Lumidot"));
    }

    void failedWritesKeepTheEarlierFileAndTellTheUser_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("bmp") << "kept.bmp";
        QTest::newRow("png") << "kept.png";
        QTest::newRow("jpg") << "kept.jpg";
    }
    void failedWritesKeepTheEarlierFileAndTellTheUser() {
        QFETCH(QString, name);
        // A device that fills up: every file this process writes stops at 512 bytes.
        QVERIFY(testsupport::writeAll(path(name), "earlier"));
        answerSaveDialog(path(name), 1);
        m_answer = platform::AnswerYes;
        {
            const testsupport::FileSizeLimit fullDevice(512);
            QVERIFY(fullDevice.applied());
            save();
        }
        QCOMPARE(readAll(path(name)), QByteArray("earlier"));
        QCOMPARE(m_status, QStringLiteral("Lumidot"));
        QCOMPARE(m_questions.size(), 2); // the overwrite question, then the failure
        QVERIFY(m_questions[1].prompt.startsWith(QStringLiteral("ファイルを保存できませんでした。")));
        QCOMPARE(QDir(m_folder.path()).entryList({name + "*"}, QDir::Files | QDir::Hidden).size(), 1);
    }

    void aTargetThatIsAFolderIsReported() {
        QVERIFY(QDir(m_folder.path()).mkpath("folder.png"));
        answerSaveDialog(path("folder.png"), 1);
        save();
        QVERIFY(QFileInfo(path("folder.png")).isDir());
        QCOMPARE(m_questions.size(), 1);
        QVERIFY(m_questions[0].prompt.endsWith(
            platform::failureText(platform::Result::failed(platform::Failure::NotRegularFile, path("folder.png")),
                                  platform::Language::Japanese)));
        QCOMPARE(m_status, QStringLiteral("Lumidot"));
    }

    void aReadOnlyFolderIsReported() {
        const QString folder = path("readonly");
        QVERIFY(QDir().mkpath(folder));
        const bool asRoot = geteuid() == 0;
        if (asRoot && ::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, "size=1m") != 0)
            QSKIP("no way to make a read-only folder here");
        QVERIFY(testsupport::writeAll(folder + "/kept.png", "earlier"));
        if (asRoot)
            QCOMPARE(::mount("tmpfs", QFile::encodeName(folder).constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr),
                     0);
        else // a file that may be written would be rewritten in place
            QFile::setPermissions(folder + "/kept.png", QFile::ReadOwner) &&
                QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
        answerSaveDialog(folder + "/kept.png", 1);
        save();
        const QByteArray kept = readAll(folder + "/kept.png");
        if (asRoot)
            ::umount2(QFile::encodeName(folder).constData(), MNT_DETACH);
        QCOMPARE(kept, QByteArray("earlier"));
        QCOMPARE(m_questions.size(), 2);
        QVERIFY(m_questions[1].prompt.startsWith(QStringLiteral("ファイルを保存できませんでした。")));
    }

    void aJpegBeyondTheFormatsLimitIsRefused() {
        board::BoardState wide = testsupport::windowBoard();
        wide.Board.resize(65501, 2);
        QVERIFY(testsupport::writeAll(path("wide.jpg"), "earlier"));
        QVERIFY(!output::writeBoard(wide.Board, path("wide.jpg"), ImageFormat::Jpeg, {}).ok());
        QCOMPARE(readAll(path("wide.jpg")), QByteArray("earlier"));
        QVERIFY(output::writeBoard(wide.Board, path("wide.png"), ImageFormat::Png, {}).ok());
    }

    // A board written from its cells, never painted (as lumidot-render writes it), is the painted board byte for
    // byte in every format: here an unlit dot smaller than the cell (white where it does not reach) and a second
    // lit colour, with cells whose lines fill whole bytes of a PNG's palette indices or not, and a board whose
    // rows are compressed in several pieces.
    void aBoardWrittenFromItsCellsIsThePaintedBoard_data() {
        QTest::addColumn<QSize>("cell");
        QTest::addColumn<QString>("message");
        QTest::newRow("3 pixels: 6 bits") << QSize(3, 2) << "Sa{#00FF00}mple";
        QTest::newRow("4 pixels: a byte") << QSize(4, 2) << "Sa{#00FF00}mple";
        QTest::newRow("no cell in the sign's own colour") << QSize(4, 2) << "{#00FF00}Sample";
        QTest::newRow("rows in several pieces") << QSize(8, 16) << QStringLiteral("Sa{#00FF00}mple ").repeated(25);
    }
    void aBoardWrittenFromItsCellsIsThePaintedBoard() {
        QFETCH(QSize, cell);
        QFETCH(QString, message);
        const auto filled = [](QSize size, QRgb colour) {
            QImage dot(size, QImage::Format_RGB32);
            dot.fill(colour);
            return dot;
        };
        const auto render = [&](board::BoardState::Paint paint) {
            board::BoardState state = testsupport::windowBoard();
            state.BoardPaint = paint;
            board::applyFont(state, QStringLiteral("DejaVu Sans"), QStringLiteral("10"), false, false);
            state.Dot[0].setPicture(filled(cell, qRgb(255, 0, 0)));
            state.Dot[1].setPicture(filled(QSize(2, 1), qRgb(0, 0, 255)));
            board::MarkedText text;
            if (!dots::readColourMarks(message, text).ok())
                qFatal("the marks do not read");
            for (int pass = 0; pass < 2; ++pass) // the second render shows the whole message
                board::DrawBoard(state, text, [&](QRgb colour) { return filled(cell, colour); });
            return state;
        };
        const board::BoardState painted = render(board::BoardState::Paint::Pixels);
        board::BoardState cellsOnly = render(board::BoardState::Paint::CellsOnly);
        QCOMPARE(cellsOnly.Cells, painted.Cells);

        const QImage board = painted.Board.image();
        QCOMPARE(board.size(), QSize(cell.width() * painted.Cells.columns, cell.height() * painted.Cells.rows));
        int wrong = 0;
        int green = 0;
        for (int y = 0; y < board.height(); ++y) {
            const QRgb* pixels = reinterpret_cast<const QRgb*>(board.constScanLine(y));
            for (int x = 0; x < board.width(); ++x) {
                const int colour = painted.Cells.colour(x / cell.width(), y / cell.height());
                const QRgb expected = colour == 1                                      ? qRgb(255, 0, 0)
                                      : colour == 2                                    ? qRgb(0, 255, 0)
                                      : x % cell.width() < 2 && y % cell.height() == 0 ? qRgb(0, 0, 255)
                                                                                       : qRgb(255, 255, 255);
                wrong += pixels[x] != expected;
                green += colour == 2;
            }
        }
        QCOMPARE(wrong, 0);
        QVERIFY(green > 0);

        for (const QString& name :
             {QStringLiteral("cells.bmp"), QStringLiteral("cells.png"), QStringLiteral("cells.jpg")}) {
            const ImageFormat format = platform::saveFormatOf(name);
            QVERIFY(output::writeBoard(painted.Board, path("painted-" + name), format, {}, cell).ok());
            board::CellRows rows(cellsOnly);
            QVERIFY(output::writeBoard(rows, path(name), format, {}).ok());
            QCOMPARE(readAll(path(name)), readAll(path("painted-" + name)));
        }
    }

    void aQualityThatDoesNotFitAByteIsReported() {
        app::Settings.JpegRate = 300;
        answerSaveDialog(path("q300.jpg"), 1);
        save();
        QVERIFY(!QFile::exists(path("q300.jpg")));
        QCOMPARE(m_questions.size(), 1);
        QCOMPARE(m_status, QStringLiteral("Lumidot"));
    }
};

QTEST_MAIN(TestOutput)
#include "test_output.moc"
