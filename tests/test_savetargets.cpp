#include "platform/atomicfile.h"
#include "platform/failuretexts.h"
#include "platform/profile.h"

#include "tests/testsupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <optional>

#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

using platform::Failure;

namespace {

const QByteArray oldContent = "[S]\nK=old\n";

QString temporaryPattern() {
    return QStringLiteral(R"(^\.(.+)\.lumidot-[A-Za-z0-9]{6}$)");
}

bool isRoot() {
    return geteuid() == 0;
}

QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

QString contentOf(const QByteArray& bytes) {
    return bytes.size() <= 64 ? QString::fromUtf8(bytes)
                              : QString::number(bytes.size()) + " bytes " +
                                    QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex();
}

// Every entry under root as "name: kind, owner, mode, content" without following a link or opening
// anything but a regular file, so that a test sees every node kept, replaced or left over.
QStringList snapshot(const QString& root) {
    QStringList lines;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        struct stat status {};
        if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
            continue;
        QString kind;
        if (S_ISLNK(status.st_mode))
            kind = "link to " + QFileInfo(path).symLinkTarget();
        else if (S_ISREG(status.st_mode))
            kind = "file | " + contentOf(testsupport::readAll(path));
        else if (S_ISDIR(status.st_mode))
            kind = "folder";
        else if (S_ISFIFO(status.st_mode))
            kind = "FIFO";
        else
            kind = QStringLiteral("device %1:%2").arg(major(status.st_rdev)).arg(minor(status.st_rdev));
        lines << QStringLiteral("%1: %2:%3 %4 %5")
                     .arg(QDir(root).relativeFilePath(path))
                     .arg(status.st_uid)
                     .arg(status.st_gid)
                     .arg(status.st_mode & 07777, 0, 8)
                     .arg(kind);
    }
    lines.sort();
    return lines;
}

// A tmpfs mounted for one test, so small that a write fills it.
class SmallDisk {
public:
    explicit SmallDisk(const QString& folder) : m_folder(QFile::encodeName(folder)) {
        m_mounted = QDir().mkpath(folder) &&
                    ::mount("tmpfs", m_folder.constData(), "tmpfs", MS_NOSUID | MS_NODEV, "size=64k") == 0;
    }
    ~SmallDisk() {
        if (m_mounted)
            ::umount2(m_folder.constData(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool mounted() const { return m_mounted; }

private:
    QByteArray m_folder;
    bool m_mounted = false;
};

QString reasonOf(Failure failure) {
    return failure == Failure::LinkLoop ? "Too many levels of symbolic links" : "Not a regular file";
}

QString readSetting(const QString& file) {
    QString value;
    platform::GetPrivateProfileString("S", "K", "default", value, 255, file);
    return value;
}

} // namespace

class TestSaveTargets : public QObject {
    Q_OBJECT

private slots:
    // Every writer and the settings file go through the same replacement: a target behind any chain of links
    // is replaced in its own folder with every link kept, one that is not a regular file is refused before
    // anything is created, owner, group and mode stay, and a failure leaves no temporary file.
    void targets_data() {
        QTest::addColumn<QString>("writer"); // "file": AtomicFile; "settings": WritePrivateProfileString
        QTest::addColumn<QString>("target"); // the layout behind "target" (see targets())
        QTest::addColumn<int>("failure");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("replaced"); // the regular file that takes the new content, when written
        struct Row {
            const char* target;
            Failure failure;
            int error;
            const char* replaced;
            bool inPlace = false; // rewritten in place, which the settings file refuses
        };
        const Row rows[] = {
            {"FIFO", Failure::NotRegularFile, 0, ""},
            {"link to FIFO", Failure::NotRegularFile, 0, ""},
            {"link to device", Failure::NotRegularFile, 0, ""},
            {"folder", Failure::NotRegularFile, 0, ""},
            {"link chain", Failure::None, 0, "sub/real"},
            {"link loop", Failure::LinkLoop, 0, ""},
            {"40 links", Failure::None, 0, "real"},
            {"41 links", Failure::LinkLoop, 0, ""},
            {"other owner", Failure::None, 0, "target"},
            {"writable file in a read-only folder", Failure::None, 0, "target", true},
            {"read-only file in a read-only folder", Failure::SystemError, EACCES, ""},
            {"new file in a read-only folder", Failure::SystemError, EACCES, ""},
            {"full disk", Failure::SystemError, ENOSPC, ""},
        };
        for (const char* writer : {"file", "settings"}) {
            for (const Row& row : rows) {
                const bool refused = row.inPlace && QByteArray(writer) == "settings";
                QTest::addRow("%s: %s", writer, row.target)
                    << writer << row.target << int(refused ? Failure::SystemError : row.failure)
                    << (refused ? EACCES : row.error) << (refused ? "" : row.replaced);
            }
        }
    }

    void targets() {
        QFETCH(QString, writer);
        QFETCH(QString, target);
        QFETCH(int, failure);
        QFETCH(int, error);
        QFETCH(QString, replaced);
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QString path = folder.filePath("target");
        const QByteArray pathBytes = QFile::encodeName(path);
        const auto link = [&](const QString& from, const QString& to) {
            QVERIFY(QFile::link(to, folder.filePath(from)));
        };
        std::optional<SmallDisk> smallDisk;
        if (target == "FIFO") {
            QCOMPARE(::mkfifo(pathBytes.constData(), 0644), 0);
        } else if (target == "link to FIFO") {
            QCOMPARE(::mkfifo(QFile::encodeName(folder.filePath("fifo")).constData(), 0644), 0);
            link("target", "fifo");
        } else if (target == "link to device") {
            if (!isRoot())
                QSKIP("making a device node needs root");
            // A node of the system's /dev/full in the test's own folder, so that a fault harms nothing else.
            QCOMPARE(::mknod(QFile::encodeName(folder.filePath("full")).constData(), S_IFCHR | 0666, makedev(1, 7)), 0);
            link("target", "full");
        } else if (target == "folder") {
            QVERIFY(QDir(folder.path()).mkdir("target"));
        } else if (target == "link chain") {
            QVERIFY(QDir(folder.path()).mkdir("sub"));
            QVERIFY(testsupport::writeAll(folder.filePath("sub/real"), oldContent));
            link("target", "middle");
            link("middle", folder.filePath("sub/real"));
        } else if (target == "link loop") {
            link("target", "loop");
            link("loop", "target");
        } else if (target.endsWith(" links")) {
            const int links = target.section(u' ', 0, 0).toInt();
            QVERIFY(testsupport::writeAll(folder.filePath("real"), oldContent));
            link("target", "l1");
            for (int i = 1; i < links - 1; ++i)
                link(QStringLiteral("l%1").arg(i), QStringLiteral("l%1").arg(i + 1));
            link(QStringLiteral("l%1").arg(links - 1), "real");
        } else if (target == "other owner") {
            if (!isRoot())
                QSKIP("giving a file to another user needs root");
            QVERIFY(testsupport::writeAll(path, oldContent));
            QCOMPARE(::chown(pathBytes.constData(), 65534, 65534), 0);
            QCOMPARE(::chmod(pathBytes.constData(), 0640), 0);
        } else if (target == "writable file in a read-only folder") {
            QVERIFY(testsupport::writeAll(path, oldContent + QByteArray(100, '#'))); // longer: its tail must go
            QCOMPARE(::chmod(pathBytes.constData(), 0640), 0);
        } else if (target == "read-only file in a read-only folder") {
            QVERIFY(testsupport::writeAll(path, oldContent));
            QCOMPARE(::chmod(pathBytes.constData(), 0440), 0);
        } else if (target == "full disk") {
            smallDisk.emplace(folder.filePath("disk"));
            if (!smallDisk->mounted())
                QSKIP("this process may not mount a small file system");
            QVERIFY(testsupport::writeAll(folder.filePath("disk/real"), oldContent));
            link("target", "disk/real");
        }
        // A value that does not fit the small disk; elsewhere a short one.
        const QByteArray value = target == "full disk" ? QByteArray(100000, 'x') : QByteArray("new");
        const QByteArray newContent = "[S]\nK=" + value + "\n";

        QStringList expected = snapshot(folder.path());
        if (!replaced.isEmpty()) {
            const auto entry = std::find_if(expected.begin(), expected.end(),
                                            [&](const QString& line) { return line.startsWith(replaced + ": "); });
            QVERIFY(entry != expected.end());
            *entry = entry->section(" | ", 0, 0) + " | " + contentOf(newContent);
        }
        bool written = false;
        platform::Result result;
        {
            std::optional<testsupport::PermissionsEnforced> enforced;
            if (target.contains("read-only folder")) {
                enforced.emplace(); // a read-only folder stops root too
                QVERIFY(QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::ExeOwner));
                if (QFile(folder.filePath("probe")).open(QIODevice::WriteOnly)) {
                    QFile::remove(folder.filePath("probe"));
                    QSKIP("folder permissions do not stop this process");
                }
            }
            if (writer == "file") {
                platform::AtomicFile file(path);
                written =
                    file.open(QIODevice::WriteOnly) && file.write(newContent) == newContent.size() && file.commit();
                result = file.result();
                if (!written) // QIODevice users read the reason there
                    QCOMPARE(file.errorString(), result.failure == Failure::SystemError
                                                     ? platform::systemReason(error, platform::Language::English)
                                                     : reasonOf(result.failure));
            } else {
                written = platform::WritePrivateProfileString("S", "K", QString::fromUtf8(value), path);
            }
        }
        QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        QCOMPARE(written, failure == int(Failure::None));
        if (writer == "file") {
            QCOMPARE(int(result.failure), failure);
            QCOMPARE(result.systemError, error);
            QCOMPARE(result.file, written ? QString() : path);
        } else {
            // Reading never blocks on a FIFO, and reads on where the write could not.
            const bool readable = (failure == int(Failure::None) || failure == int(Failure::SystemError)) &&
                                  target != "new file in a read-only folder";
            QCOMPARE(readSetting(path), written ? QString::fromUtf8(value) : readable ? "old" : "default");
        }
        QCOMPARE(snapshot(folder.path()), expected);
    }

    // A rewrite in place leaves the file as it was until its commit. Cut short by a full device before its
    // first byte, it still has; after, it has damaged the file and says so.
    void inPlaceRewriteCutShort_data() {
        QTest::addColumn<int>("limit"); // bytes the device takes
        QTest::addColumn<int>("failure");
        QTest::newRow("before its first byte") << 0 << int(Failure::SystemError);
        QTest::newRow("after 512 bytes") << 512 << int(Failure::DamagedInPlace);
    }

    void inPlaceRewriteCutShort() {
        QFETCH(int, limit);
        QFETCH(int, failure);
        QTemporaryDir folder;
        const QString path = folder.filePath("target");
        const QByteArray earlier(1000, 'e');
        const QByteArray newer(4000, 'n');
        QVERIFY(testsupport::writeAll(path, earlier));
        platform::Result result;
        {
            const testsupport::PermissionsEnforced enforced;
            QVERIFY(QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::ExeOwner));
            if (QFile(folder.filePath("probe")).open(QIODevice::WriteOnly))
                QSKIP("folder permissions do not stop this process");
            platform::AtomicFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(newer) == newer.size());
            QCOMPARE(testsupport::readAll(path), earlier);
            const testsupport::FileSizeLimit fullDevice{rlim_t(limit)};
            QVERIFY(fullDevice.applied());
            QVERIFY(!file.commit());
            result = file.result();
        }
        QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(int(result.failure), failure);
        QCOMPARE(result.systemError, EFBIG);
        QCOMPARE(result.file, path);
        QCOMPARE(testsupport::readAll(path), newer.left(limit) + earlier.mid(limit));
        QCOMPARE(entries(folder.path()), QStringList{"target"});
    }

    // The temporary file is hidden in the target's folder and tells whose it is; a name too long to carry
    // the suffix is shortened, never cut inside a character.
    void temporaryName_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("short") << "board.png";
        QTest::newRow("250 bytes") << QString(246, u'x') + ".png";
        QTest::newRow("255 bytes of Japanese") << QString(83, u'掲') + "ab.png";
    }

    void temporaryName() {
        QFETCH(QString, name);
        QTemporaryDir folder;
        platform::AtomicFile file(folder.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        const QStringList during = entries(folder.path());
        QCOMPARE(during.size(), 1);
        const QByteArray temporary = QFile::encodeName(during.first());
        QVERIFY(temporary.size() <= NAME_MAX);
        const QRegularExpressionMatch match = QRegularExpression(temporaryPattern()).match(during.first());
        QVERIFY2(match.hasMatch(), temporary.constData());
        const QByteArray kept = match.captured(1).toUtf8();
        QCOMPARE(QString::fromUtf8(kept).toUtf8(), kept); // whole characters only
        QVERIFY(name.toUtf8().startsWith(kept));
        if (name.toUtf8().size() + 16 <= NAME_MAX)
            QCOMPARE(QString::fromUtf8(kept), name);
        file.close();
        QCOMPARE(entries(folder.path()), QStringList());
    }

    // An interrupted batch run removes the temporary file it was writing and still ends by the signal.
    void interruptionRemovesTemporaryFile_data() {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGINT") << SIGINT;
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGHUP") << SIGHUP;
    }

    void interruptionRemovesTemporaryFile() {
        QFETCH(int, signal);
        QTemporaryDir folder;
        const QString path = folder.filePath("board.bmp");
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            std::signal(signal, SIG_DFL); // as a program started normally finds it
            platform::removeTemporaryFilesOnSignals();
            platform::AtomicFile file(path);
            const QByteArray data(1 << 20, 'x');
            if (file.open(QIODevice::WriteOnly) && file.write(data) == data.size() &&
                entries(folder.path()).size() == 1)
                ::raise(signal);
            ::_exit(1);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFSIGNALED(status));
        QCOMPARE(WTERMSIG(status), signal);
        QCOMPARE(entries(folder.path()), QStringList());
    }

    // The system's reason in both languages: Japanese for what a save meets in practice, and the system's
    // English words whatever the user's locale.
    void systemReasons_data() {
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("english");
        QTest::newRow("ENOSPC") << ENOSPC << "No space left on device";
        QTest::newRow("EDQUOT") << EDQUOT << "Disk quota exceeded";
        QTest::newRow("EACCES") << EACCES << "Permission denied";
        QTest::newRow("EPERM") << EPERM << "Operation not permitted";
        QTest::newRow("EROFS") << EROFS << "Read-only file system";
        QTest::newRow("ENOENT") << ENOENT << "No such file or directory";
        QTest::newRow("ENOTDIR") << ENOTDIR << "Not a directory";
        QTest::newRow("ENAMETOOLONG") << ENAMETOOLONG << "File name too long";
        QTest::newRow("EISDIR") << EISDIR << "Is a directory";
        QTest::newRow("EIO") << EIO << "Input/output error";
        QTest::newRow("EMFILE") << EMFILE << "Too many open files";
        QTest::newRow("ENFILE") << ENFILE << "Too many open files in system";
        QTest::newRow("EEXIST") << EEXIST << "File exists";
        QTest::newRow("ELOOP") << ELOOP << "Too many levels of symbolic links";
    }

    void systemReasons() {
        QFETCH(int, error);
        QFETCH(QString, english);
        QCOMPARE(platform::systemReason(error, platform::Language::English), english);
        const QString japanese = platform::systemReason(error, platform::Language::Japanese);
        QVERIFY2(!japanese.contains(QRegularExpression("[A-Za-z]")), qPrintable(japanese)); // not the fallback
        QVERIFY(japanese.contains(QRegularExpression("[\\x{3040}-\\x{30FF}\\x{4E00}-\\x{9FFF}]")));
    }
};

QTEST_GUILESS_MAIN(TestSaveTargets)
#include "test_savetargets.moc"
