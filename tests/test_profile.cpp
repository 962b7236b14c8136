#include "platform/profile.h"

#include "tests/testsupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using platform::GetPrivateProfileString;
using platform::WritePrivateProfileString;

namespace {

const QByteArray bom = QByteArrayLiteral("\xEF\xBB\xBF");
// "ＭＳ Ｐゴシック" as Japanese Windows stores it.
const QByteArray fontNameCp932 = QByteArrayLiteral("\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E");
const QString fontName = QStringLiteral("ＭＳ Ｐゴシック");
constexpr qsizetype oversize = 17 * 1024 * 1024;

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString readValue(const QString& section, const QString& key, const QString& file, int* count = nullptr) {
    QString buffer;
    const int n = GetPrivateProfileString(section, key, QStringLiteral("DEF"), buffer, 255, file);
    if (count)
        *count = n;
    return buffer;
}

} // namespace

class TestProfile : public QObject {
    Q_OBJECT

private slots:
    void read_data();
    void read();
    void unusableFileGivesDefault();
    void rereadsEveryCall();
    void cutsOnCharacterBoundary_data();
    void cutsOnCharacterBoundary();
    void write_data();
    void write();
    void failedWriteKeepsOldFile_data();
    void failedWriteKeepsOldFile();
};

void TestProfile::read_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");

    // clang-format off
    QTest::newRow("case-insensitive") << QByteArray("[FONT]\nsize=10\n") << "font" << "SIZE" << "10";
    QTest::newRow("non-ASCII case") << QByteArray("[Écran]\nClé=1\n") << "éCRAN" << "CLÉ" << "1";
    QTest::newRow("blanks") << QByteArray(" \t[ S ] \t\n \tK \t=\t a b \t\n") << "S" << "K" << "a b";
    QTest::newRow("single quotes") << QByteArray("[S]\nK= 'x' \n") << "S" << "K" << "x";
    QTest::newRow("double quotes") << QByteArray("[S]\nK=\"x y\"\n") << "S" << "K" << "x y";
    QTest::newRow("one pair only") << QByteArray("[S]\nK=''x''\n") << "S" << "K" << "'x'";
    QTest::newRow("empty quotes") << QByteArray("[S]\nK=\"\"\n") << "S" << "K" << "";
    QTest::newRow("unclosed quote") << QByteArray("[S]\nK=\"x\n") << "S" << "K" << "\"x";
    QTest::newRow("unlike quotes") << QByteArray("[S]\nK='x\"\n") << "S" << "K" << "'x\"";
    QTest::newRow("lone quote") << QByteArray("[S]\nK=\"\n") << "S" << "K" << "\"";
    QTest::newRow("equals in value") << QByteArray("[S]\nK=a=b\n") << "S" << "K" << "a=b";
    QTest::newRow("empty value") << QByteArray("[S]\nK=\nL=1\n") << "S" << "K" << "";
    QTest::newRow("missing section") << QByteArray("[T]\nK=v\n") << "S" << "K" << "DEF";
    QTest::newRow("missing key") << QByteArray("[S]\nL=v\n") << "S" << "K" << "DEF";
    QTest::newRow("key of next section") << QByteArray("[S]\n[T]\nK=v\n") << "S" << "K" << "DEF";
    QTest::newRow("key before sections") << QByteArray("K=v\n[S]\n") << "S" << "K" << "DEF";
    QTest::newRow("comment") << QByteArray("[S]\n;K=old\n ; K=old\nK=new\n") << "S" << "K" << "new";
    QTest::newRow("comment after section") << QByteArray("[S] ; mine\nK=v\n") << "S" << "K" << "v";
    QTest::newRow("duplicate section") << QByteArray("[S]\nK=1\n[s]\nK=2\n") << "S" << "K" << "1";
    QTest::newRow("duplicate key") << QByteArray("[S]\nK=1\nk=2\n") << "S" << "K" << "1";
    QTest::newRow("first section only") << QByteArray("[S]\nA=1\n[S]\nK=2\n") << "S" << "K" << "DEF";
    QTest::newRow("CRLF") << QByteArray("[S]\r\nK=v\r\n") << "S" << "K" << "v";
    QTest::newRow("mixed endings") << QByteArray("[S]\nA=1\r\nK=v\n") << "S" << "K" << "v";
    QTest::newRow("no final newline") << QByteArray("[S]\nK=v") << "S" << "K" << "v";
    QTest::newRow("BOM") << bom + "[S]\nK=v\n" << "S" << "K" << "v";
    QTest::newRow("value starting with U+FEFF") << "[S]\nK=" + bom + "v\n" << "S" << "K" << QStringLiteral("\uFEFFv");
    QTest::newRow("UTF-8 Japanese") << ("[Font]\nName=" + fontName.toUtf8()) << "Font" << "Name" << fontName;
    QTest::newRow("Shift-JIS") << ("[Font]\r\nName=" + fontNameCp932 + "\r\n") << "Font" << "Name" << fontName;
    // clang-format on
}

void TestProfile::read() {
    QFETCH(QByteArray, content);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath("p.ini");
    writeFile(path, content);

    int count = -1;
    QCOMPARE(readValue(section, key, path, &count), expected);
    QCOMPARE(count, expected.toUtf8().size());
}

void TestProfile::unusableFileGivesDefault() {
    QTemporaryDir dir;
    QCOMPARE(readValue("S", "K", dir.filePath("missing.ini")), "DEF");
    QCOMPARE(readValue("S", "K", dir.filePath("no/such/folder.ini")), "DEF");
    QCOMPARE(readValue("S", "K", dir.path()), "DEF");

    const QString big = dir.filePath("big.ini");
    writeFile(big, "[S]\nK=v\n" + QByteArray(oversize, ';'));
    QCOMPARE(readValue("S", "K", big), "DEF");

    // Bytes that are neither UTF-8 nor CP932 must not stop the keys around them from being read.
    QByteArray garbage;
    for (int i = 0; i < 4096; ++i)
        garbage += char((i * 131 + 7) % 256);
    const QString junk = dir.filePath("junk.ini");
    writeFile(junk, garbage + "\n[S]\nK=v\nL=" + QByteArray(1024 * 1024, 'x') + "\n" + garbage);
    QCOMPARE(readValue("S", "K", junk), "v");
    QCOMPARE(readValue("S", "L", junk), QString(254, u'x'));
}

void TestProfile::rereadsEveryCall() {
    QTemporaryDir dir;
    const QString path = dir.filePath("p.ini");
    writeFile(path, "[S]\nK=1\n");
    QCOMPARE(readValue("S", "K", path), "1");
    writeFile(path, "[S]\nK=2\n");
    QCOMPARE(readValue("S", "K", path), "2");
}

void TestProfile::cutsOnCharacterBoundary_data() {
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("bytes");

    const QString a3 = QString(100, u'あ'); // 3 bytes each
    // clang-format off
    QTest::newRow("300 ASCII") << QString(300, u'x') << 254;
    QTest::newRow("254 ASCII fits") << QString(254, u'x') << 254;
    QTest::newRow("Japanese") << a3 << 252;
    QTest::newRow("Japanese after 1") << "a" + a3 << 253;
    QTest::newRow("Japanese after 2") << "ab" + a3 << 254;
    QTest::newRow("4-byte characters") << "a" + QString("😀").repeated(100) << 253;
    // clang-format on
}

void TestProfile::cutsOnCharacterBoundary() {
    QFETCH(QString, value);
    QFETCH(int, bytes);
    QTemporaryDir dir;
    const QString path = dir.filePath("p.ini");
    writeFile(path, "[S]\nK=" + value.toUtf8() + "\n");

    int count = -1;
    const QString result = readValue("S", "K", path, &count);
    QCOMPARE(count, bytes);
    QCOMPARE(result.toUtf8().size(), bytes);
    QVERIFY(value.startsWith(result)); // a split character would show up as U+FFFD here
}

void TestProfile::write_data() {
    QTest::addColumn<QByteArray>("before"); // null: no file yet
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");

    // clang-format off
    QTest::newRow("new file") << QByteArray() << "S" << "K" << "v" << QByteArray("[S]\nK=v\n");
    QTest::newRow("replace, others kept")
        << QByteArray("; top\n[Data]\n  mongon = old \n\n[Options]\nGIF=0\nnot a key\n") << "DATA" << "Mongon" << "new"
        << QByteArray("; top\n[Data]\nMongon=new\n\n[Options]\nGIF=0\nnot a key\n");
    QTest::newRow("key after last key of section")
        << QByteArray("[A]\nX=1\n;x\n\n; about B\n[B]\nY=2\n") << "a" << "Z" << "3"
        << QByteArray("[A]\nX=1\nZ=3\n;x\n\n; about B\n[B]\nY=2\n");
    QTest::newRow("key in empty section")
        << QByteArray("[A]\n[B]\nY=2\n") << "A" << "Z" << "3" << QByteArray("[A]\nZ=3\n[B]\nY=2\n");
    QTest::newRow("new section at end")
        << QByteArray("[A]\nX=1\n") << "B" << "Y" << "2" << QByteArray("[A]\nX=1\n[B]\nY=2\n");
    QTest::newRow("no final newline") << QByteArray("[A]\nX=1") << "A" << "Y" << "2" << QByteArray("[A]\nX=1\nY=2\n");
    QTest::newRow("CRLF stays") << QByteArray("[A]\r\nX=1\r\n") << "B" << "Y" << "2"
                                << QByteArray("[A]\r\nX=1\r\n[B]\r\nY=2\r\n");
    QTest::newRow("first ending LF") << QByteArray("[A]\nX=1\r\n") << "A" << "X" << "2" << QByteArray("[A]\nX=2\n");
    QTest::newRow("first ending CRLF")
        << QByteArray("[A]\r\nX=1\n") << "A" << "X" << "2" << QByteArray("[A]\r\nX=2\r\n");
    QTest::newRow("BOM kept") << bom + "[A]\nX=1\n" << "A" << "X" << "2" << bom + "[A]\nX=2\n";
    QTest::newRow("comment after section")
        << QByteArray("[A] ; mine\nX=1\n") << "A" << "Y" << "2" << QByteArray("[A] ; mine\nX=1\nY=2\n");
    QTest::newRow("Shift-JIS becomes UTF-8")
        << "[Font]\r\nName=" + fontNameCp932 + "\r\n" << "Font" << "Size" << "10"
        << "[Font]\r\nName=" + fontName.toUtf8() + "\r\nSize=10\r\n";
    QTest::newRow("duplicate section: first")
        << QByteArray("[A]\nX=1\n[A]\nX=2\n") << "A" << "X" << "9" << QByteArray("[A]\nX=9\n[A]\nX=2\n");
    QTest::newRow("duplicate section: new key")
        << QByteArray("[A]\nX=1\n[A]\nX=2\n") << "A" << "Y" << "9" << QByteArray("[A]\nX=1\nY=9\n[A]\nX=2\n");
    // clang-format on
}

void TestProfile::write() {
    QFETCH(QByteArray, before);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);
    QTemporaryDir dir;
    const QString path = dir.filePath("p.ini");
    if (!before.isNull())
        writeFile(path, before);

    QVERIFY(WritePrivateProfileString(section, key, value, path));
    QCOMPARE(readFile(path), after);
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), {"p.ini"});
    QCOMPARE(readValue(section, key, path), value);
}

void TestProfile::failedWriteKeepsOldFile_data() {
    QTest::addColumn<QString>("kind");
    for (const char* kind :
         {"path is a folder", "missing folder", "oversize file", "line break in value", "read-only folder"})
        // clang-format off
        QTest::newRow(kind) << QString::fromLatin1(kind);
    // clang-format on
}

void TestProfile::failedWriteKeepsOldFile() {
    QFETCH(QString, kind);
    QTemporaryDir dir;
    const testsupport::PermissionsEnforced enforced; // a read-only folder stops root too
    QString path = dir.filePath("p.ini");
    QByteArray old = "; keep\n[S]\nK=old\n";
    QString value = QStringLiteral("new");
    if (kind == "path is a folder") {
        path = dir.path();
        old.clear();
    } else if (kind == "missing folder") {
        path = dir.filePath("no/such/p.ini");
        old.clear();
    } else if (kind == "oversize file") {
        old += QByteArray(oversize, ';');
    } else if (kind == "line break in value") {
        value = QStringLiteral("new\nK=forged");
    }
    if (!old.isEmpty())
        writeFile(path, old);
    if (kind == "read-only folder") {
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
        QFile probe(dir.filePath("probe"));
        const bool permissionsApply = !probe.open(QIODevice::WriteOnly);
        probe.remove();
        if (!permissionsApply) {
            QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QSKIP("folder permissions do not stop this user");
        }
    }

    const bool written = WritePrivateProfileString("S", "K", value, path);
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QVERIFY(!written);
    if (old.isEmpty())
        QVERIFY(!QFileInfo(path).isFile());
    else
        QVERIFY(readFile(path) == old); // QCOMPARE would print 17 MiB on failure
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), old.isEmpty() ? 0 : 1);
}

QTEST_MAIN(TestProfile)
#include "test_profile.moc"
