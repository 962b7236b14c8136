#include "app/basCommon.h"
#include "output/SaveBoard.h"
#include "platform/commondialogs.h"
#include "platform/failuretexts.h"
#include "platform/messagebox.h"
#include "scroll/writeanimation.h"

#include "tests/scrollsigns.h"
#include "tests/testsupport.h"

#include <QDir>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

const QString failed = QStringLiteral("ファイルを保存できませんでした。\r\n");

} // namespace

class TestBadSaving : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_folder;
    board::BoardState m_state = testsupport::windowBoard();
    QStringList m_messages;
    QString m_dialogAnswer;
    QString m_status;

    QStringList folderEntries() const {
        return QDir(m_folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }

    // The save command as the 保存 button runs it, the dialog answering with name under filter 1.
    void save(const QString& name) {
        m_dialogAnswer = name;
        output::SaveBoard(m_state.Board, QSize(m_state.CellWidth, m_state.CellHeight),
                          app::saveOptionsOf(app::Settings), nullptr, m_status,
                          [this](const QString& status) { m_status = status; });
    }

private slots:
    void initTestCase() {
        QVERIFY(m_folder.isValid());
        app::setProgramFolder(m_folder.path());
        app::LoadSettings();
        platform::setMsgBoxHandler([this](const QString& prompt, int, const QString& title) {
            m_messages << title + u'|' + prompt;
            return int(platform::AnswerYes);
        });
        platform::setFileDialogHandler([this](const platform::DialogRequest&) {
            platform::DialogAnswer answer;
            answer.accepted = true;
            answer.paths = {m_dialogAnswer};
            answer.filterIndex = 1;
            return answer;
        });
    }

    void init() {
        m_messages.clear();
        m_status = QStringLiteral("Lumidot");
        for (const QString& entry : folderEntries())
            QFile::remove(m_folder.filePath(entry));
    }

    // A name the dialog cannot hand back (it holds 30000 characters, the closing NUL included) counts as
    // a cancelled dialog; a name the system refuses stops the save with the system's message. Either
    // way nothing is written and the status line keeps what it showed.
    void namesBeyondTheLimits_data() {
        QTest::addColumn<int>("nameLength");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("30000 characters") << 30000 << QStringList();
        QTest::newRow("file name of 300 bytes") << 300 << QStringList{"システムエラー|75:パス名が無効です。"};
    }

    void namesBeyondTheLimits() {
        QFETCH(int, nameLength);
        QFETCH(QStringList, messages);
        const QString folder = m_folder.path() + u'/';
        const QString name = folder + QString(nameLength - folder.size() - 4, u'n') + ".png";
        QCOMPARE(name.size(), nameLength);
        save(name);
        QCOMPARE(m_messages, messages);
        QCOMPARE(m_status, QStringLiteral("Lumidot"));
        QCOMPARE(folderEntries(), QStringList());
    }

    void namesTheSystemAllows_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("format");
        // 83 three-byte characters: with "ab.png" the longest name a folder may hold, 255 bytes.
        const QString longest = QString(83, u'掲') + "ab.png";
        QVERIFY(longest.toUtf8().size() == 255);
        QTest::newRow("spaces") << " board  with spaces .bmp" << QByteArray("bmp");
        QTest::newRow("Japanese") << "電光掲示板.jpg" << QByteArray("jpeg");
        QTest::newRow("255 bytes") << longest << QByteArray("png");
    }

    void namesTheSystemAllows() {
        QFETCH(QString, name);
        QFETCH(QByteArray, format);
        save(m_folder.filePath(name));
        QCOMPARE(m_messages, QStringList());
        QCOMPARE(m_status, QStringLiteral(">") + name);
        QImageReader written(m_folder.filePath(name));
        QCOMPARE(written.format(), format);
        QCOMPARE(written.size(), QSize(m_state.Board.ScaleWidth(), m_state.Board.ScaleHeight()));
        QCOMPARE(folderEntries(), QStringList{name});
    }

    // A file its owner made read-only stays as it was, though its folder would let it be replaced.
    void readOnlyFileIsKept_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("bmp") << "kept.bmp";
        QTest::newRow("jpg") << "kept.jpg";
        QTest::newRow("png") << "kept.png";
    }

    void readOnlyFileIsKept() {
        QFETCH(QString, name);
        const QString path = m_folder.filePath(name);
        QVERIFY(testsupport::writeAll(path, "earlier"));
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        {
            const testsupport::PermissionsEnforced enforced;
            if (QFile(path).open(QIODevice::WriteOnly | QIODevice::Append))
                QSKIP("file permissions do not stop this process");
            save(path);
        }
        QCOMPARE(testsupport::readAll(path), QByteArray("earlier"));
        QCOMPARE(m_messages.size(), 2); // the overwrite question, then the failure
        QCOMPARE(m_messages[0], "上書き確認|上書きしますか？\r\n" + path);
        QVERIFY2(m_messages[1].startsWith("Lumidot|" + failed + u'"' + path + u'"'), qPrintable(m_messages[1]));
        QCOMPARE(m_status, QStringLiteral("Lumidot"));
        QCOMPARE(folderEntries(), QStringList{name});
    }

    // A file the user may write in a folder the user may not: no replacement can be made beside it, so
    // every writer rewrites the file in place, byte for byte what it writes elsewhere, keeping its mode.
    void writableFileInAReadOnlyFolderIsRewritten_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("bmp") << "board.bmp";
        QTest::newRow("jpg") << "board.jpg";
        QTest::newRow("png") << "board.png";
        QTest::newRow("animation") << "sign.gif";
    }

    void writableFileInAReadOnlyFolderIsRewritten() {
        QFETCH(QString, name);
        const bool animation = name.endsWith(".gif");
        const auto write = [&](const QString& path) {
            if (!animation)
                save(path);
            else if (const platform::Result result =
                         scroll::writeAnimation(scrollsigns::sign(9, 4), {}, path, scroll::AnimationFormat::Gif);
                     !result.ok())
                m_messages << platform::failureText(result, platform::Language::Japanese);
        };
        write(m_folder.filePath(name));
        const QByteArray expected = testsupport::readAll(m_folder.filePath(name));
        QVERIFY(!expected.isEmpty());
        QTemporaryDir locked;
        const QString path = locked.filePath(name);
        QVERIFY(testsupport::writeAll(path, QByteArray(expected.size() + 1000, 'e'))); // longer: its tail must go
        QCOMPARE(::chmod(QFile::encodeName(path).constData(), 0640), 0);
        m_messages.clear();
        {
            const testsupport::PermissionsEnforced enforced;
            QVERIFY(QFile::setPermissions(locked.path(), QFile::ReadOwner | QFile::ExeOwner));
            if (QFile(locked.filePath("probe")).open(QIODevice::WriteOnly))
                QSKIP("folder permissions do not stop this process");
            write(path);
        }
        QFile::setPermissions(locked.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(m_messages, animation ? QStringList() : QStringList{"上書き確認|上書きしますか？\r\n" + path});
        QCOMPARE(testsupport::readAll(path), expected);
        struct stat status {};
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &status), 0);
        QCOMPARE(status.st_mode & 07777, mode_t(0640));
        QCOMPARE(QDir(locked.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{name});
    }

    // Such a rewrite cut short by a full device has damaged the file, and the message says so.
    void aRewriteInPlaceCutShortSaysTheFileIsDamaged() {
        QTemporaryDir locked;
        const QString path = locked.filePath("board.bmp");
        const QByteArray earlier(100000, 'e');
        QVERIFY(testsupport::writeAll(path, earlier));
        {
            const testsupport::PermissionsEnforced enforced;
            QVERIFY(QFile::setPermissions(locked.path(), QFile::ReadOwner | QFile::ExeOwner));
            if (QFile(locked.filePath("probe")).open(QIODevice::WriteOnly))
                QSKIP("folder permissions do not stop this process");
            const testsupport::FileSizeLimit fullDevice(512);
            QVERIFY(fullDevice.applied());
            save(path);
        }
        QFile::setPermissions(locked.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(m_messages.size(), 2); // the overwrite question, then the failure
        const platform::Result damaged{platform::Failure::DamagedInPlace, path, EFBIG, {}};
        QCOMPARE(m_messages[1], "Lumidot|" + failed + platform::failureText(damaged, platform::Language::Japanese));
        QCOMPARE(m_status, QStringLiteral("Lumidot"));
        const QByteArray now = testsupport::readAll(path);
        QVERIFY(now.startsWith("BM") && now.mid(512) == earlier.mid(512));
    }

    // 2^27 pixels, the most a board may hold, in every format: the earlier file is replaced whole.
    void largestBoardIsSaved_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("format");
        QTest::newRow("bmp") << "largest.bmp" << QByteArray("bmp");
        QTest::newRow("jpg") << "largest.jpg" << QByteArray("jpeg");
        QTest::newRow("png") << "largest.png" << QByteArray("png");
    }

    void largestBoardIsSaved() {
        QFETCH(QString, name);
        QFETCH(QByteArray, format);
        board::BoardState& state = m_state;
        const QSize largest(16384, 8192);
        QCOMPARE(qint64(largest.width()) * largest.height(), platform::MaxSurfacePixels);
        state.Board.resize(largest.width(), largest.height());
        state.Board.Cls();
        state.Board.image().setPixel(largest.width() - 1, largest.height() - 1, qRgb(255, 0, 0));
        const QString path = m_folder.filePath(name);
        QVERIFY(testsupport::writeAll(path, "earlier"));

        save(path);
        QCOMPARE(m_messages, QStringList{"上書き確認|上書きしますか？\r\n" + path});
        QCOMPARE(m_status, QStringLiteral(">") + name);
        QImageReader written(path);
        written.setAllocationLimit(0);
        QCOMPARE(written.format(), format);
        QCOMPARE(written.size(), largest);
        if (format != "jpeg") // lossless: the whole picture comes back
            QVERIFY(written.read().convertToFormat(QImage::Format_RGB32) == state.Board.image());
        QCOMPARE(folderEntries(), QStringList{name});
        state.Board.resize(0, 0);
    }
};

QTEST_MAIN(TestBadSaving)
#include "test_badinput_saving.moc"
