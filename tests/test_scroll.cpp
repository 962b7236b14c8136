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
using scroll::Entrance;

Q_DECLARE_METATYPE(scroll::Direction)
Q_DECLARE_METATYPE(scroll::Entrance)
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
        QTest::addColumn<int>("gap");
        QTest::addColumn<Entrance>("entrance");
        QTest::addColumn<int>("cycle"); // the board and its gap along the way it moves
        QTest::addColumn<int>("first"); // turns before frame 0
        const int automatic = scroll::AutomaticGap;
        const Entrance board = Entrance::Board;
        const Entrance blank = Entrance::Blank;
        QTest::newRow("left, board wider than the panel: a panel's gap")
            << 9 << 4 << 5 << Direction::Left << 1 << automatic << board << 14 << 0;
        QTest::newRow("right, board wider than the panel")
            << 9 << 4 << 5 << Direction::Right << 1 << automatic << board << 14 << 0;
        QTest::newRow("up, the whole board") << 9 << 4 << 0 << Direction::Up << 1 << automatic << board << 4 << 0;
        QTest::newRow("down, part of the board") << 9 << 4 << 5 << Direction::Down << 1 << automatic << board << 4 << 0;
        QTest::newRow("left, board narrower than the panel: widened to it")
            << 4 << 3 << 7 << Direction::Left << 1 << automatic << board << 7 << 0;
        QTest::newRow("right, board narrower than the panel")
            << 4 << 3 << 7 << Direction::Right << 1 << automatic << board << 7 << 0;
        QTest::newRow("up, board narrower than the panel")
            << 4 << 3 << 6 << Direction::Up << 1 << automatic << board << 3 << 0;
        QTest::newRow("left, three cells a frame, gap of 3")
            << 9 << 2 << 4 << Direction::Left << 3 << 3 << board << 12 << 0;
        QTest::newRow("down, two cells a frame") << 5 << 4 << 0 << Direction::Down << 2 << automatic << board << 4 << 0;
        QTest::newRow("left, no gap") << 9 << 2 << 5 << Direction::Left << 1 << 0 << board << 9 << 0;
        QTest::newRow("right, gap narrower than the panel")
            << 3 << 2 << 8 << Direction::Right << 1 << 2 << board << 5 << 0;
        QTest::newRow("up with a gap of rows") << 4 << 3 << 0 << Direction::Up << 1 << 2 << board << 5 << 0;
        // Entering a blank panel: frame 0 is the last blank one before the message's leading edge comes in.
        QTest::newRow("left, entering blank") << 9 << 2 << 5 << Direction::Left << 1 << automatic << blank << 14 << 9;
        QTest::newRow("right, entering blank") << 9 << 2 << 5 << Direction::Right << 1 << automatic << blank << 14 << 5;
        QTest::newRow("up, entering blank") << 4 << 3 << 0 << Direction::Up << 1 << automatic << blank << 6 << 3;
        QTest::newRow("down, entering blank, wide gap") << 4 << 3 << 0 << Direction::Down << 1 << 5 << blank << 8 << 5;
        QTest::newRow("left, entering blank two cells a frame")
            << 4 << 2 << 6 << Direction::Left << 2 << automatic << blank << 10 << 4;
    }
    void framesAreTheBoardRotatedAndCut() {
        QFETCH(int, columns);
        QFETCH(int, rows);
        QFETCH(int, panel);
        QFETCH(Direction, direction);
        QFETCH(int, step);
        QFETCH(int, gap);
        QFETCH(Entrance, entrance);
        QFETCH(int, cycle);
        QFETCH(int, first);
        const scroll::Sign sign = scrollsigns::sign(columns, rows);
        AnimationSettings settings = settingsOf(panel, direction, step);
        settings.gap = gap;
        settings.entrance = entrance;
        QVERIFY(scroll::checkSettings(sign, settings).ok());
        const scroll::FrameSequence frames(sign, settings);
        QCOMPARE(frames.cycle(), cycle);
        QCOMPARE(frames.frameCount(), cycle / step);
        QImage drawn;
        for (int k = 0; k < frames.frameCount(); ++k) {
            frames.drawFrame(k, drawn);
            QCOMPARE(drawn, scrollsigns::referenceFrame(sign, settings, first + k * step, cycle));
        }
        if (entrance == Entrance::Blank) {
            QVERIFY(std::all_of(frames.panelCells(0).lit.begin(), frames.panelCells(0).lit.end(),
                                [](uint8_t cell) { return cell == 0; }));
        }
        // The animation loops seamlessly: one more step brings back the first frame.
        frames.drawFrame(0, drawn);
        QCOMPARE(scrollsigns::referenceFrame(sign, settings, first + frames.frameCount() * step, cycle), drawn);
    }

    void holdAndBlinksComeWhenTheMessageIsIn_data() {
        QTest::addColumn<int>("columns");
        QTest::addColumn<Direction>("direction");
        QTest::addColumn<Entrance>("entrance");
        QTest::addColumn<int>("holdFrame"); // the message's leading edge at the panel's far edge
        // A 9-cell board on a 5-cell panel, moving one cell a frame: a 14-cell cycle.
        QTest::newRow("left: its first column at the left edge") << 9 << Direction::Left << Entrance::Board << 0;
        QTest::newRow("left from blank") << 9 << Direction::Left << Entrance::Blank << 5;
        QTest::newRow("right: its last column at the right edge") << 9 << Direction::Right << Entrance::Board << 10;
        QTest::newRow("right from blank") << 9 << Direction::Right << Entrance::Blank << 5;
        QTest::newRow("up: the top row at the top") << 9 << Direction::Up << Entrance::Board << 0;
    }
    void holdAndBlinksComeWhenTheMessageIsIn() {
        QFETCH(int, columns);
        QFETCH(Direction, direction);
        QFETCH(Entrance, entrance);
        QFETCH(int, holdFrame);
        const scroll::Sign sign = scrollsigns::sign(columns, 3);
        AnimationSettings settings = settingsOf(5, direction, 1);
        settings.entrance = entrance;
        const scroll::FrameSequence plain(sign, settings);
        settings.holdMs = 1500;
        settings.blinks = 2;
        QVERIFY(scroll::checkSettings(sign, settings).ok());
        const scroll::FrameSequence held(sign, settings);
        QCOMPARE(held.frameCount(), plain.frameCount() + 4);
        const board::CellGrid unlit{5, 3, std::vector<uint8_t>(15)};
        for (int k = 0; k < held.frameCount(); ++k) {
            // The hold, then blank and held again twice, each a plain delay; then the scroll goes on.
            const int offset = k - holdFrame;
            const bool blinking = offset > 0 && offset <= 4;
            QCOMPARE(held.delayMs(k), k == holdFrame ? 1500 : settings.delayMs);
            if (blinking)
                QCOMPARE(held.panelCells(k), offset % 2 == 1 ? unlit : plain.panelCells(holdFrame));
            else
                QCOMPARE(held.panelCells(k), plain.panelCells(k > holdFrame ? k - 4 : k));
        }
        // Held when the leading edge reaches the far edge, moving left: the first column at the left edge.
        if (direction == Direction::Left)
            QCOMPARE(held.panelCells(holdFrame).lit[0], sign.cells.lit[0]);
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
        AnimationSettings settings = settingsOf(10, Direction::Left, 4);
        settings.gap = 0;
        QVERIFY(scroll::writeAnimation(sign, settings, path("sign.pbm"), AnimationFormat::Pbm).ok());
        const QByteArray data = testsupport::readAll(path("sign.pbm"));
        const QList<board::CellGrid> frames = readPbm(data);
        const scroll::FrameSequence sequence(sign, settings);
        QCOMPARE(frames.size(), 3);
        for (int k = 0; k < frames.size(); ++k)
            QCOMPARE(frames[k], sequence.panelCells(k));
        QCOMPARE(data.size(), 3 * (qsizetype(sizeof "P4\n10 3\n") - 1 + 3 * 2));
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
