#include "scroll/framesequence.h"
#include "scroll/writeanimation.h"
#include "tests/scrollsigns.h"
#include "tests/testsupport.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

using platform::Failure;
using scroll::AnimationFormat;
using scroll::AnimationSettings;
using scroll::Direction;

Q_DECLARE_METATYPE(scroll::Direction)
Q_DECLARE_METATYPE(platform::Failure)

namespace {

AnimationSettings settingsOf(int panel, Direction direction, int step) {
    AnimationSettings settings;
    settings.panelColumns = panel;
    settings.direction = direction;
    settings.step = step;
    return settings;
}

// The panel's cells of every frame, read back from a file of concatenated P4 images.
QList<board::CellGrid> readPbm(const QByteArray& data) {
    QList<board::CellGrid> frames;
    qsizetype at = 0;
    const QRegularExpression header(QStringLiteral("\\AP4\\n(\\d+) (\\d+)\\n"));
    while (at < data.size()) {
        const QRegularExpressionMatch match = header.match(QString::fromLatin1(data.mid(at, 32)));
        if (!match.hasMatch())
            return {};
        board::CellGrid cells{match.captured(1).toInt(), match.captured(2).toInt(), {}};
        at += match.capturedLength();
        const int rowBytes = (cells.columns + 7) / 8;
        for (int r = 0; r < cells.rows; ++r, at += rowBytes) {
            for (int c = 0; c < cells.columns; ++c)
                cells.lit.push_back((uchar(data[at + c / 8]) >> (7 - c % 8)) & 1);
        }
        frames.append(cells);
    }
    return frames;
}

} // namespace

class TestScroll : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_folder;
    QString path(const QString& name) const { return m_folder.filePath(name); }

private slots:
    void framesAreTheBoardRotatedAndCut_data() {
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("panel");
        QTest::addColumn<Direction>("direction");
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("cycle");
        QTest::newRow("left, board wider than the panel") << 9 << 4 << 5 << Direction::Left << 1 << 9;
        QTest::newRow("right, board wider than the panel") << 9 << 4 << 5 << Direction::Right << 1 << 9;
        QTest::newRow("up, the whole board") << 9 << 4 << 0 << Direction::Up << 1 << 4;
        QTest::newRow("down, part of the board") << 9 << 4 << 5 << Direction::Down << 1 << 4;
        QTest::newRow("left, board narrower than the panel") << 4 << 3 << 7 << Direction::Left << 1 << 7;
        QTest::newRow("right, board narrower than the panel") << 4 << 3 << 7 << Direction::Right << 1 << 7;
        QTest::newRow("up, board narrower than the panel") << 4 << 3 << 6 << Direction::Up << 1 << 3;
        QTest::newRow("left, three cells a frame") << 9 << 2 << 4 << Direction::Left << 3 << 9;
        QTest::newRow("down, two cells a frame") << 5 << 4 << 0 << Direction::Down << 2 << 4;
    }
    void framesAreTheBoardRotatedAndCut() {
        QFETCH(int, columns);
        QFETCH(int, rows);
        QFETCH(int, panel);
        QFETCH(Direction, direction);
        QFETCH(int, step);
        QFETCH(int, cycle);
        const scroll::Sign sign = scrollsigns::sign(columns, rows);
        const AnimationSettings settings = settingsOf(panel, direction, step);
        QVERIFY(scroll::checkSettings(sign, settings).ok());
        const scroll::FrameSequence frames(sign, settings);
        QCOMPARE(frames.cycle(), cycle);
        QCOMPARE(frames.frameCount(), cycle / step);
        QImage drawn;
        for (int k = 0; k < frames.frameCount(); ++k) {
            frames.drawFrame(k, drawn);
            QCOMPARE(drawn, scrollsigns::referenceFrame(sign, settings, k));
        }
        // The animation loops seamlessly: one more step brings back the first frame.
        frames.drawFrame(0, drawn);
        QCOMPARE(scrollsigns::referenceFrame(sign, settings, frames.frameCount()), drawn);
    }

    void badSettingsAreRefused_data() {
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("panel");
        QTest::addColumn<int>("delay");
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("loop");
        QTest::addColumn<Failure>("failure");
        QTest::addColumn<QString>("detail");
        QTest::newRow("step that does not divide the cycle")
            << 9 << 0 << 50 << 2 << 0 << Failure::BadAnimationSetting << "Step=2 ∉ {1, 3, 9}";
        QTest::newRow("step over the widened cycle")
            << 4 << 6 << 50 << 4 << 0 << Failure::BadAnimationSetting << "Step=4 ∉ {1, 2, 3, 6}";
        QTest::newRow("no step") << 9 << 0 << 50 << 0 << 0 << Failure::BadAnimationSetting << "Step=0 ∉ {1, 3, 9}";
        QTest::newRow("delay too short") << 9 << 0 << 19 << 1 << 0 << Failure::BadAnimationSetting
                                         << "Delay=19 ∉ [20, 5000]";
        QTest::newRow("delay too long") << 9 << 0 << 5001 << 1 << 0 << Failure::BadAnimationSetting
                                        << "Delay=5001 ∉ [20, 5000]";
        QTest::newRow("negative loop count")
            << 9 << 0 << 50 << 1 << -1 << Failure::BadAnimationSetting << "Loop=-1 ∉ [0, 65535]";
        QTest::newRow("loop count over 16 bits")
            << 9 << 0 << 50 << 1 << 65536 << Failure::BadAnimationSetting << "Loop=65536 ∉ [0, 65535]";
        QTest::newRow("negative panel") << 9 << -1 << 50 << 1 << 0 << Failure::BadAnimationSetting
                                        << "Panel=-1 ∉ [0, …)";
        QTest::newRow("frame over 2^27 pixels") << 9 << 30000000 << 50 << 1 << 0 << Failure::TooLarge << "90000000 × 8";
        QTest::newRow("limits themselves") << 9 << 0 << 5000 << 9 << 65535 << Failure::None << "";
    }
    void badSettingsAreRefused() {
        QFETCH(int, columns);
        QFETCH(int, panel);
        QFETCH(int, delay);
        QFETCH(int, step);
        QFETCH(int, loop);
        QFETCH(Failure, failure);
        QFETCH(QString, detail);
        AnimationSettings settings = settingsOf(panel, Direction::Left, step);
        settings.delayMs = delay;
        settings.loopCount = loop;
        const platform::Result result = scroll::checkSettings(scrollsigns::sign(columns, 4), settings);
        QCOMPARE(result.failure, failure);
        QCOMPARE(result.detail, detail);
    }

    void signsWithoutPicturesAreRefused() {
        scroll::Sign empty = scrollsigns::sign(3, 2);
        empty.cells = {};
        QCOMPARE(scroll::checkSettings(empty, {}).failure, Failure::NothingToWrite);
        scroll::Sign mismatched = scrollsigns::sign(3, 2);
        mismatched.unlitCell = scrollsigns::cellPicture(3, 3, false);
        QCOMPARE(scroll::checkSettings(mismatched, {}).failure, Failure::NothingToWrite);
    }

    void formatFollowsTheExtension_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("format"); // -1: none
        QTest::newRow("gif") << "sign.gif" << int(AnimationFormat::Gif);
        QTest::newRow("upper case") << "SIGN.WEBP" << int(AnimationFormat::WebP);
        QTest::newRow("png is APNG") << "a/b.PnG" << int(AnimationFormat::Apng);
        QTest::newRow("pbm") << "sign.pbm" << int(AnimationFormat::Pbm);
        QTest::newRow("C header") << "sign.H" << int(AnimationFormat::CHeader);
        QTest::newRow("other picture") << "sign.jpg" << -1;
        QTest::newRow("extension of a folder") << "sign.gif/x" << -1;
        QTest::newRow("no extension") << "gif" << -1;
    }
    void formatFollowsTheExtension() {
        QFETCH(QString, name);
        QFETCH(int, format);
        const std::optional<AnimationFormat> found = scroll::animationFormatOf(name);
        QCOMPARE(found ? int(*found) : -1, format);
    }

    void pbmHoldsEveryFrameAsBits() {
        // 10 columns: rows take two bytes, the second padded with zero bits.
        const scroll::Sign sign = scrollsigns::sign(12, 3);
        const AnimationSettings settings = settingsOf(10, Direction::Left, 4);
        QVERIFY(scroll::writeAnimation(sign, settings, path("sign.pbm"), AnimationFormat::Pbm).ok());
        const QByteArray data = testsupport::readAll(path("sign.pbm"));
        const QList<board::CellGrid> frames = readPbm(data);
        const scroll::FrameSequence sequence(sign, settings);
        QCOMPARE(frames.size(), 3);
        for (int k = 0; k < frames.size(); ++k)
            QCOMPARE(frames[k], sequence.panelCells(k));
        QCOMPARE(data.size(), 3 * (qsizetype(sizeof "P4\n10 3\n") - 1 + 3 * 2));
    }

    void headerHoldsEveryFrameAsBits() {
        const scroll::Sign sign = scrollsigns::sign(12, 3);
        AnimationSettings settings = settingsOf(10, Direction::Up, 1);
        settings.delayMs = 80;
        QVERIFY(scroll::writeAnimation(sign, settings, path("sign.h"), AnimationFormat::CHeader).ok());
        const QString text = QString::fromUtf8(testsupport::readAll(path("sign.h")));
        const auto defined = [&](const QString& name) {
            const QRegularExpressionMatch match =
                QRegularExpression(QStringLiteral("#define %1 (\\d+)").arg(name)).match(text);
            return match.hasMatch() ? match.captured(1).toInt() : -1;
        };
        QCOMPARE(defined("LUMIDOT_WIDTH"), 10);
        QCOMPARE(defined("LUMIDOT_HEIGHT"), 3);
        QCOMPARE(defined("LUMIDOT_FRAMES"), 3);
        QCOMPARE(defined("LUMIDOT_ROW_BYTES"), 2);
        QCOMPARE(defined("LUMIDOT_DELAY_MS"), 80);
        QVERIFY(text.contains(
            "static const uint8_t lumidot_frames[LUMIDOT_FRAMES][LUMIDOT_HEIGHT][LUMIDOT_ROW_BYTES] = {"));
        QVERIFY(text.contains("1 = lit"));
        QByteArray bytes;
        const qsizetype arrayStart = text.indexOf("] = {");
        auto hex = QRegularExpression(QStringLiteral("0x([0-9a-f]{2})")).globalMatch(text.mid(arrayStart));
        while (hex.hasNext())
            bytes.append(char(hex.next().captured(1).toInt(nullptr, 16)));
        // Each row in two bytes, the leftmost cell in the top bit.
        QByteArray expected;
        const scroll::FrameSequence sequence(sign, settings);
        for (int k = 0; k < sequence.frameCount(); ++k) {
            const board::CellGrid cells = sequence.panelCells(k);
            for (int r = 0; r < cells.rows; ++r) {
                uint16_t row = 0;
                for (int c = 0; c < cells.columns; ++c)
                    row |= uint16_t(cells.isLit(c, r) ? 0x8000u >> c : 0);
                expected.append(char(row >> 8)).append(char(row & 0xff));
            }
        }
        QCOMPARE(bytes.toHex(), expected.toHex());
    }

    void stillIsOneFrame() {
        const scroll::Sign sign = scrollsigns::sign(5, 2);
        QVERIFY(scroll::writeAnimation(sign, settingsOf(0, Direction::Left, 5), path("still.pbm"), AnimationFormat::Pbm)
                    .ok());
        const QList<board::CellGrid> frames = readPbm(testsupport::readAll(path("still.pbm")));
        QCOMPARE(frames.size(), 1);
        QCOMPARE(frames[0], sign.cells);
    }

    void failedWriteLeavesNoFile_data() {
        QTest::addColumn<int>("format");
        for (AnimationFormat format :
             {AnimationFormat::Gif, AnimationFormat::WebP, AnimationFormat::Pbm, AnimationFormat::CHeader})
            QTest::newRow(qPrintable(QString::number(int(format)))) << int(format);
    }
    void failedWriteLeavesNoFile() {
        QFETCH(int, format);
        const QString target = path("missing/sign.out");
        const platform::Result result =
            scroll::writeAnimation(scrollsigns::sign(6, 2), {}, target, AnimationFormat(format));
        QCOMPARE(result.failure, Failure::SystemError);
        QCOMPARE(result.systemError, ENOENT);
        QCOMPARE(result.file, target);
        QVERIFY(!QFile::exists(target));
    }

    void fullDeviceKeepsTheEarlierFile_data() {
        QTest::addColumn<QString>("name");
        for (const char* name : {"full.gif", "full.webp", "full.png", "full.pbm", "full.h"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void fullDeviceKeepsTheEarlierFile() {
        QFETCH(QString, name);
        // A device that fills up: every file this process writes stops at 512 bytes.
        const QString target = path(name);
        QVERIFY(testsupport::writeAll(target, "earlier"));
        platform::Result result;
        {
            const testsupport::FileSizeLimit fullDevice(512);
            QVERIFY(fullDevice.applied());
            result = scroll::writeAnimation(scrollsigns::sign(40, 8), {}, target, *scroll::animationFormatOf(name));
        }
        QCOMPARE(result.failure, Failure::SystemError);
        QCOMPARE(result.systemError, EFBIG);
        QCOMPARE(result.file, target);
        QCOMPARE(testsupport::readAll(target), QByteArray("earlier"));
        QCOMPARE(QDir(m_folder.path()).entryList({name + "*"}, QDir::Files | QDir::Hidden).size(), 1);
    }

    void refusedSettingsKeepTheEarlierFile() {
        const QString target = path("kept.gif");
        QVERIFY(testsupport::writeAll(target, "earlier"));
        const QStringList before = QDir(m_folder.path()).entryList(QDir::Files | QDir::Hidden);
        const platform::Result result = scroll::writeAnimation(
            scrollsigns::sign(9, 2), settingsOf(0, Direction::Left, 2), target, AnimationFormat::Gif);
        QCOMPARE(result.failure, Failure::BadAnimationSetting);
        QCOMPARE(result.file, target);
        QCOMPARE(testsupport::readAll(target), QByteArray("earlier"));
        QCOMPARE(QDir(m_folder.path()).entryList(QDir::Files | QDir::Hidden), before);
    }
};

QTEST_GUILESS_MAIN(TestScroll)
#include "test_scroll.moc"
