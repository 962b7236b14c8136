#include "app/basCommon.h"
#include "dots/LoadDotImage.h"
#include "platform/messagebox.h"
#include "app/frmMain.h"
#include "tests/testwindow.h"

#include "tests/testsupport.h"

#include <QBuffer>
#include <QDir>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <fcntl.h>
#include <sys/stat.h>

using app::frmMain;

namespace {

enum class Kind { File, Unreadable, BrokenLink, Pipe };

// A picture whose every pixel differs from its neighbours, so that any misplaced pixel shows.
QImage pattern(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(20 * x + 10, 30 * y + 5, (7 * x + 11 * y) % 256));
    return image;
}

QByteArray encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, 90);
    return bytes;
}

// Bytes that follow no format: neither an image nor text in any encoding.
QByteArray garbage(int size) {
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 131 + 7) % 256);
    return bytes;
}

QByteArray withBytesAt(QByteArray bytes, qsizetype at, const QByteArray& replacement) {
    return bytes.replace(at, replacement.size(), replacement);
}

QByteArray bigEndian16(quint16 value) {
    QByteArray bytes(2, Qt::Uninitialized);
    qToBigEndian(value, bytes.data());
    return bytes;
}

// A JPEG whose frame header claims another size.
QByteArray jpegClaiming(quint16 width, quint16 height) {
    const QByteArray jpeg = encoded(pattern(16, 16), "JPEG");
    const qsizetype frame = jpeg.indexOf("\xFF\xC0");
    return withBytesAt(jpeg, frame + 5, bigEndian16(height) + bigEndian16(width));
}

QByteArray gifFile() {
    return testsupport::readAll(QStringLiteral(LUMIDOT_TEST_DATA "/dot.gif"));
}

struct BadFile {
    const char* row;
    QString path;
    bool unreadable;
};

struct DotSnapshot {
    QImage image;
    QSize size;
    QSize boxSize;
    bool operator==(const DotSnapshot&) const = default;
};

} // namespace

class TestBadImages : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_folder;
    std::unique_ptr<frmMain> m_window;
    QStringList m_messages;
    QList<BadFile> m_badFiles;

    QString make(const QString& name, const QByteArray& bytes, Kind kind = Kind::File) {
        const QString path = m_folder.filePath(name);
        bool made = false;
        switch (kind) {
        case Kind::File:
            made = testsupport::writeAll(path, bytes);
            break;
        case Kind::Unreadable:
            made = testsupport::writeAll(path, bytes) && QFile::setPermissions(path, {});
            break;
        case Kind::BrokenLink:
            made = QFile::link(m_folder.filePath(QStringLiteral("gone-") + name), path);
            break;
        case Kind::Pipe:
            made = ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
            break;
        }
        if (!made)
            qFatal("cannot make %s", qPrintable(path));
        return path;
    }

    void drop(QWidget* box, const QStringList& paths) { QVERIFY(testwindow::dropFiles(box, paths).second); }

    DotSnapshot snapshot(int index) const {
        const platform::Surface& dot = m_window->boardState().Dot[index];
        return {dot.image().copy(), QSize(dot.ScaleWidth(), dot.ScaleHeight()), m_window->Dot[index]->size()};
    }

    // The dot shows exactly the picture, the box one pixel of frame around it.
    void expectDot(int index, const QImage& picture) {
        const DotSnapshot dot = snapshot(index);
        QCOMPARE(dot.size, picture.size());
        QCOMPARE(dot.image.convertToFormat(QImage::Format_RGB32), picture.convertToFormat(QImage::Format_RGB32));
        QCOMPARE(dot.boxSize, picture.size() + QSize(2, 2));
    }

    void addBadFile(const char* row, const QString& name, const QByteArray& bytes, Kind kind = Kind::File) {
        m_badFiles.append({row, make(name, bytes, kind), kind == Kind::Unreadable});
    }

    void makeBadFiles() {
        const QByteArray bmp = encoded(pattern(12, 10), "BMP");
        const QByteArray ico = encoded(pattern(16, 16), "ICO");
        const QByteArray jpeg = encoded(pattern(16, 16), "JPEG");
        const QByteArray png = encoded(pattern(6, 6), "PNG");
        const QByteArray gif = gifFile();
        QByteArray pngWide = png; // IHDR width 2^31 - 1: its low 16 bits alone would make a fine box
        qToBigEndian(quint32(0x7FFFFFFF), pngWide.data() + 16);

        addBadFile("BMP cut short", "cut.bmp", bmp.left(bmp.size() - 40));
        addBadFile("BMP pixels beyond its end", "offset.bmp", withBytesAt(bmp, 10, QByteArray("\x00\x00\xFF\x00", 4)));
        addBadFile("ICO cut short", "cut.ico", ico.left(ico.size() / 2));
        addBadFile("ICO entry beyond its end", "entry.ico", withBytesAt(ico, 18, QByteArray("\xFF\xFF\xFF\x7F", 4)));
        addBadFile("JPEG header garbled", "garbled.jpg", withBytesAt(jpeg, 2, garbage(120)));
        addBadFile("JPEG claiming 65500 x 65500", "huge.jpg", jpegClaiming(65500, 65500));
        addBadFile("GIF cut short", "cut.gif", gif.left(0x39));
        addBadFile("GIF claiming 65535 x 65535", "huge.gif", withBytesAt(gif, 6, QByteArray(4, '\xFF')));
        addBadFile("PNG signature, then garbage", "garbage.png", png.left(8) + garbage(200));
        addBadFile("PNG claiming 2^31 - 1 wide", "wide.png", pngWide);
        addBadFile("empty .ico", "empty.ico", {});
        addBadFile("empty .jpg", "empty.jpg", {});
        addBadFile("empty .gif", "empty.gif", {});
        addBadFile("unreadable .png", "locked.png", png, Kind::Unreadable);
        addBadFile("unreadable .bmp", "locked.bmp", bmp, Kind::Unreadable);
        addBadFile("broken link .png", "link.png", {}, Kind::BrokenLink);
        addBadFile("broken link .jpg", "link.jpg", {}, Kind::BrokenLink);
        addBadFile("named pipe .png", "pipe.png", {}, Kind::Pipe);
        addBadFile("named pipe .bmp", "pipe.bmp", {}, Kind::Pipe);
    }

private slots:
    void initTestCase() {
        QVERIFY(m_folder.isValid());
        app::setProgramFolder(m_folder.path());
        app::LoadSettings(); // GIF dot images accepted
        platform::setMsgBoxHandler([this](const QString& prompt, int, const QString&) {
            m_messages << prompt;
            return int(platform::AnswerOk);
        });
        m_window = std::make_unique<frmMain>();
        m_window->Form_Load();
        makeBadFiles();
    }

    // Both dots start as pictures the user chose earlier: those are what must survive.
    void init() {
        m_messages.clear();
        drop(m_window->Dot[0], {make("earlier-lit.bmp", encoded(pattern(7, 5), "BMP"))});
        drop(m_window->Dot[1], {make("earlier-unlit.png", encoded(pattern(5, 6), "PNG"))});
        expectDot(0, pattern(7, 5));
        expectDot(1, pattern(5, 6));
    }

    void refusedFilesChangeNothing_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("unreadable");
        for (const BadFile& file : m_badFiles)
            QTest::newRow(file.row) << file.path << file.unreadable;
    }

    // Each through the loader and through a drop: the result says so, the earlier dots and their boxes
    // stay as they were, and nothing is said (no message box, the status line untouched).
    void refusedFilesChangeNothing() {
        QFETCH(QString, path);
        QFETCH(bool, unreadable);
        const DotSnapshot lit = snapshot(0), unlit = snapshot(1);
        {
            const testsupport::PermissionsEnforced enforced;
            if (unreadable && QFile(path).open(QIODevice::ReadOnly))
                QSKIP("file permissions do not stop this process");
            QCOMPARE(dots::LoadDotImage(m_window->boardState(), path, 0), int16_t(1));
            drop(m_window->Area[1], {path});
        }
        QVERIFY(snapshot(0) == lit);
        QVERIFY(snapshot(1) == unlit);
        QCOMPARE(m_window->MSG->text(), QStringLiteral("Lumidot"));
        QCOMPARE(m_messages, QStringList());
    }

    // The drop walk passes over every one of them and takes the first file that loads.
    void oneDropOfEveryRefusedFileThenAGoodOne() {
        const QString good = make("good.bmp", encoded(pattern(9, 4), "BMP"));
        {
            const testsupport::PermissionsEnforced enforced;
            QStringList paths;
            for (const BadFile& file : m_badFiles)
                if (!file.unreadable || !QFile(file.path).open(QIODevice::ReadOnly)) // where permissions apply
                    paths << file.path;
            drop(m_window->Dot[0], paths << good);
        }
        expectDot(0, pattern(9, 4));
        QCOMPARE(m_messages, QStringList());
    }

    // A JPEG cut inside its picture data still decodes: what is missing comes out mid-grey, the same
    // on every run, as any viewer shows it.
    void jpegCutInsideItsPixelsLoadsGreyBelow() {
        QImage picture = pattern(64, 64); // busy enough that the picture data outweighs the headers
        QPainter(&picture).fillRect(0, 0, 64, 16, qRgb(200, 40, 40));
        const QByteArray jpeg = encoded(picture, "JPEG");
        const QString path = make("cut-pixels.jpg", jpeg.left(jpeg.size() * 3 / 4));
        QCOMPARE(dots::LoadDotImage(m_window->boardState(), path, 0), int16_t(0));
        const platform::Surface& dot = m_window->boardState().Dot[0];
        QCOMPARE(QSize(dot.ScaleWidth(), dot.ScaleHeight()), picture.size());
        const QRgb top = dot.image().pixel(0, 0), bottom = dot.image().pixel(63, 63);
        QVERIFY2(qAbs(qRed(top) - 200) < 8 && qAbs(qGreen(top) - 40) < 8, qPrintable(QString::number(top, 16)));
        QCOMPARE(bottom, qRgb(128, 128, 128));
    }

    void namesThatAreNotPlain_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("format");
        QTest::newRow("spaces") << " dot  with spaces .png" << QByteArray("PNG");
        QTest::newRow("Japanese") << "点灯 ドット.bmp" << QByteArray("BMP");
        QTest::newRow("Japanese folder") << "画像 フォルダ/ｊｐｅｇ.ico" << QByteArray("ICO");
    }

    void namesThatAreNotPlain() {
        QFETCH(QString, name);
        QFETCH(QByteArray, format);
        QVERIFY(QDir(m_folder.path()).mkpath(QFileInfo(m_folder.filePath(name)).path()));
        const QImage picture = pattern(8, 3);
        drop(m_window->Dot[1], {make(name, encoded(picture, format.constData()))});
        expectDot(1, picture);
        QCOMPARE(m_messages, QStringList());
    }

    // Qt names files by text decoded as UTF-8, so a name whose bytes are not UTF-8 cannot be reached:
    // the file is refused like a missing one, quietly, whichever way it comes.
    void nameWithInvalidUtf8IsRefused_data() {
        QTest::addColumn<QByteArray>("suffix");
        QTest::newRow(".png") << QByteArray(".png");
        QTest::newRow(".bmp") << QByteArray(".bmp");
    }

    void nameWithInvalidUtf8IsRefused() {
        QFETCH(QByteArray, suffix);
        const QByteArray native = QFile::encodeName(m_folder.path()) + "/dot\xFF\xFE name" + suffix;
        const QByteArray bytes = encoded(pattern(4, 4), suffix == ".png" ? "PNG" : "BMP");
        const int descriptor = ::open(native.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        QVERIFY(descriptor >= 0);
        QCOMPARE(::write(descriptor, bytes.constData(), size_t(bytes.size())), ssize_t(bytes.size()));
        ::close(descriptor);
        const QString path = QFile::decodeName(native);

        const DotSnapshot unlit = snapshot(1);
        QCOMPARE(dots::LoadDotImage(m_window->boardState(), path, 1), int16_t(1));
        drop(m_window->Dot[1], {path});
        QVERIFY(snapshot(1) == unlit);
        QCOMPARE(m_messages, QStringList());
        ::unlink(native.constData());
    }
};

QTEST_MAIN(TestBadImages)
#include "test_badinput_images.moc"
