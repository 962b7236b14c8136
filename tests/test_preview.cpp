// The scroll preview window, driven by a clock the tests move: pacing, pause and step, the delay keys,
// restarts, closing, and the frames and the scaling it shows.

#include "platform/failuretexts.h"
#include "preview/panelview.h"
#include "preview/scrollpreview.h"
#include "scroll/framesequence.h"
#include "tests/scrollsigns.h"

#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <utility>

namespace {

// Time that moves only when a test says so. Each wake-up falls due at its time; a busy system is
// played by delivering it lateMs after that.
class FakeClock : public preview::Clock {
public:
    qint64 nowMs() const override { return m_now; }
    void wakeAt(qint64 atMs, std::function<void()> wake) override {
        m_atMs = atMs;
        m_wake = std::move(wake);
    }
    void cancel() override { m_wake = nullptr; }

    bool pending() const { return m_wake != nullptr; }
    void advanceTo(qint64 toMs, qint64 lateMs = 0) {
        while (m_wake && m_atMs + lateMs <= toMs) {
            m_now = std::max(m_now, m_atMs + lateMs);
            std::exchange(m_wake, nullptr)();
        }
        m_now = toMs;
    }

private:
    qint64 m_now = 0;
    qint64 m_atMs = 0;
    std::function<void()> m_wake;
};

scroll::AnimationSettings settings(int delayMs = 50, int panelColumns = 0,
                                   scroll::Direction direction = scroll::Direction::Left) {
    scroll::AnimationSettings result;
    result.delayMs = delayMs;
    result.panelColumns = panelColumns;
    result.direction = direction;
    return result;
}

QImage expectedFrame(const scroll::Sign& sign, const scroll::AnimationSettings& settings, int frame) {
    QImage image;
    scroll::FrameSequence(sign, settings).drawFrame(frame, image);
    return image;
}

QPushButton* button(QWidget& window, const QString& caption) {
    for (QPushButton* candidate : window.findChildren<QPushButton*>()) {
        if (candidate->text() == caption)
            return candidate;
    }
    return nullptr;
}

} // namespace

Q_DECLARE_METATYPE(scroll::Direction)

class TestPreview : public QObject {
    Q_OBJECT

private slots:
    void frameShownFollowsTheClock();
    void framesEqualTheAnimation_data();
    void framesEqualTheAnimation();
    void noDriftAfterAThousandLateWakeUps();
    void lateWakeUpSkipsFrames();
    void heldAndBlinkingFramesKeepTheirTimes();
    void pauseAndStep();
    void keysChangeTheDelay_data();
    void keysChangeTheDelay();
    void playRestartsFromFrameZero();
    void refusedSettingsShowWhyAndPlayNothing();
    void buttonsDoWhatKeysDo();
    void escapeClosesAndDeletes();
    void fittedRect_data();
    void fittedRect();
    void panelIsScaledWithoutSmoothingOnBlack();
};

void TestPreview::frameShownFollowsTheClock() {
    FakeClock clock;
    clock.advanceTo(1000);
    preview::ScrollPreview window(nullptr, &clock);
    window.play(scrollsigns::sign(7, 3), settings(50));
    for (qint64 t = 1000; t <= 1000 + 3 * 7 * 50; t += 13) {
        clock.advanceTo(t);
        QCOMPARE(window.frameIndex(), int((t - 1000) / 50 % 7));
    }
    QCOMPARE(window.frameCount(), 7);
}

void TestPreview::framesEqualTheAnimation_data() {
    QTest::addColumn<int>("panelColumns");
    QTest::addColumn<scroll::Direction>("direction");
    QTest::newRow("left, whole board") << 0 << scroll::Direction::Left;
    QTest::newRow("right, panel wider than the board") << 13 << scroll::Direction::Right;
    QTest::newRow("up, panel narrower than the board") << 4 << scroll::Direction::Up;
}

void TestPreview::framesEqualTheAnimation() {
    QFETCH(int, panelColumns);
    QFETCH(scroll::Direction, direction);
    const scroll::Sign sign = scrollsigns::sign(9, 5);
    const scroll::AnimationSettings animation = settings(40, panelColumns, direction);
    FakeClock clock;
    preview::ScrollPreview window(nullptr, &clock);
    window.play(sign, animation);
    const int count = scroll::FrameSequence(sign, animation).frameCount();
    QCOMPARE(window.frameCount(), count);
    for (int k = 0; k <= count; ++k) {
        clock.advanceTo(qint64(k) * 40);
        QCOMPARE(window.frameIndex(), k % count);
        QCOMPARE(window.currentFrame(), expectedFrame(sign, animation, k % count));
    }
}

void TestPreview::noDriftAfterAThousandLateWakeUps() {
    FakeClock clock;
    preview::ScrollPreview window(nullptr, &clock);
    window.play(scrollsigns::sign(1200, 1), settings(50)); // 1200 frames: the count shows every frame
    clock.advanceTo(49'999, 7);                            // every wake-up 7 ms late, as on a busy system
    QCOMPARE(window.frameIndex(), 999);
    clock.advanceTo(50'000, 7);
    QCOMPARE(window.frameIndex(), 999); // frame 1000's wake-up is late too
    clock.advanceTo(50'007, 7);
    QCOMPARE(window.frameIndex(), 1000);
}

void TestPreview::lateWakeUpSkipsFrames() {
    FakeClock clock;
    preview::ScrollPreview window(nullptr, &clock);
    window.play(scrollsigns::sign(7, 3), settings(50));
    clock.advanceTo(180, 130); // the wake-up for 50 ms comes at 180 ms
    QCOMPARE(window.frameIndex(), 3);
    clock.advanceTo(199);
    QCOMPARE(window.frameIndex(), 3);
    clock.advanceTo(200); // frame 4 keeps its own time
    QCOMPARE(window.frameIndex(), 4);
}

void TestPreview::heldAndBlinkingFramesKeepTheirTimes() {
    FakeClock clock;
    preview::ScrollPreview window(nullptr, &clock);
    scroll::AnimationSettings held = settings(50);
    held.holdMs = 300;
    held.blinks = 1;
    window.play(scrollsigns::sign(7, 3), held);
    QCOMPARE(window.frameCount(), 9);
    // The held frame 300 ms, a blank 50, the held frame again 50, then one step every 50.
    const std::pair<qint64, int> shown[] = {{299, 0}, {300, 1}, {349, 1}, {350, 2}, {400, 3}, {700, 0}};
    for (const auto& [at, frame] : shown) {
        clock.advanceTo(at);
        QCOMPARE(window.frameIndex(), frame);
    }
}

void TestPreview::pauseAndStep() {
    FakeClock clock;
    preview::ScrollPreview window(nullptr, &clock);
    const scroll::Sign sign = scrollsigns::sign(7, 3);
    window.play(sign, settings(50));
    clock.advanceTo(120);
    QCOMPARE(window.frameIndex(), 2);
    QTest::keyClick(&window, Qt::Key_Right); // no step while playing
    QCOMPARE(window.frameIndex(), 2);

    QTest::keyClick(&window, Qt::Key_Space);
    QVERIFY(window.isPaused());
    QCOMPARE(window.statusText(), QStringLiteral("3 / 7 フレーム  50 ms  一時停止"));
    clock.advanceTo(5000);
    QCOMPARE(window.frameIndex(), 2);
    for (int i = 0; i < 5; ++i)
        QTest::keyClick(&window, Qt::Key_Right);
    QCOMPARE(window.frameIndex(), 0); // 2 + 5 wraps
    QTest::keyClick(&window, Qt::Key_Left);
    QCOMPARE(window.frameIndex(), 6);
    QCOMPARE(window.currentFrame(), expectedFrame(sign, settings(50), 6));

    QTest::keyClick(&window, Qt::Key_Space);
    QVERIFY(!window.isPaused());
    QCOMPARE(window.statusText(), QStringLiteral("7 / 7 フレーム  50 ms"));
    clock.advanceTo(5049);
    QCOMPARE(window.frameIndex(), 6);
    clock.advanceTo(5050);
    QCOMPARE(window.frameIndex(), 0);
}

void TestPreview::keysChangeTheDelay_data() {
    QTest::addColumn<int>("delay");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("presses");
    QTest::addColumn<int>("expected");
    QTest::newRow("+ halves") << 50 << int(Qt::Key_Plus) << 1 << 25;
    QTest::newRow("= halves") << 50 << int(Qt::Key_Equal) << 1 << 25;
    QTest::newRow("+ stops at 20") << 50 << int(Qt::Key_Plus) << 2 << 20;
    QTest::newRow("+ at 20 stays") << 20 << int(Qt::Key_Plus) << 1 << 20;
    QTest::newRow("- doubles") << 50 << int(Qt::Key_Minus) << 2 << 200;
    QTest::newRow("- stops at 5000") << 3000 << int(Qt::Key_Minus) << 1 << 5000;
}

void TestPreview::keysChangeTheDelay() {
    QFETCH(int, delay);
    QFETCH(int, key);
    QFETCH(int, presses);
    QFETCH(int, expected);
    FakeClock clock;
    preview::ScrollPreview window(nullptr, &clock);
    window.play(scrollsigns::sign(7, 3), settings(delay));
    for (int i = 0; i < presses; ++i)
        QTest::keyClick(&window, Qt::Key(key));
    QCOMPARE(window.delayMs(), expected);
    QCOMPARE(window.statusText(), QStringLiteral("1 / 7 フレーム  %1 ms").arg(expected));
    clock.advanceTo(expected - 1);
    QCOMPARE(window.frameIndex(), 0);
    clock.advanceTo(expected);
    QCOMPARE(window.frameIndex(), 1);
}

void TestPreview::playRestartsFromFrameZero() {
    FakeClock clock;
    preview::ScrollPreview window(nullptr, &clock);
    window.play(scrollsigns::sign(7, 3), settings(50));
    clock.advanceTo(170);
    QTest::keyClick(&window, Qt::Key_Minus);
    QTest::keyClick(&window, Qt::Key_Space);
    const scroll::Sign next = scrollsigns::sign(11, 2, 99);
    window.play(next, settings(30));
    QCOMPARE(window.frameIndex(), 0);
    QCOMPARE(window.frameCount(), 11);
    QVERIFY(!window.isPaused());
    QCOMPARE(window.delayMs(), 30);
    QCOMPARE(window.currentFrame(), expectedFrame(next, settings(30), 0));
    clock.advanceTo(199);
    QCOMPARE(window.frameIndex(), 0);
    clock.advanceTo(200);
    QCOMPARE(window.frameIndex(), 1);
}

void TestPreview::refusedSettingsShowWhyAndPlayNothing() {
    FakeClock clock;
    preview::ScrollPreview window(nullptr, &clock);
    const scroll::Sign sign = scrollsigns::sign(7, 3);
    window.play(sign, settings(50));
    scroll::AnimationSettings refused = settings(50);
    refused.step = 3; // 7 frames cannot be cut in steps of 3
    window.play(sign, refused);
    QCOMPARE(window.statusText(),
             platform::failureText(scroll::checkSettings(sign, refused), platform::Language::Japanese));
    QVERIFY(window.statusText().contains(QStringLiteral("Step=3")));
    QVERIFY(!window.isPlaying());
    QVERIFY(window.currentFrame().isNull());
    QVERIFY(!clock.pending());
    QTest::keyClick(&window, Qt::Key_Space);
    QVERIFY(!window.isPaused());
}

void TestPreview::buttonsDoWhatKeysDo() {
    FakeClock clock;
    QPointer<preview::ScrollPreview> window = new preview::ScrollPreview(nullptr, &clock);
    window->play(scrollsigns::sign(7, 3), settings(50));
    window->show();
    QTest::mouseClick(button(*window, QStringLiteral("一時停止")), Qt::LeftButton);
    QVERIFY(window->isPaused());
    QTest::mouseClick(button(*window, QStringLiteral("次 ▶")), Qt::LeftButton);
    QCOMPARE(window->frameIndex(), 1);
    QTest::mouseClick(button(*window, QStringLiteral("◀ 前")), Qt::LeftButton);
    QTest::mouseClick(button(*window, QStringLiteral("◀ 前")), Qt::LeftButton);
    QCOMPARE(window->frameIndex(), 6);
    QTest::mouseClick(button(*window, QStringLiteral("速く")), Qt::LeftButton);
    QCOMPARE(window->delayMs(), 25);
    QTest::mouseClick(button(*window, QStringLiteral("遅く")), Qt::LeftButton);
    QTest::mouseClick(button(*window, QStringLiteral("遅く")), Qt::LeftButton);
    QCOMPARE(window->delayMs(), 100);
    QTest::mouseClick(button(*window, QStringLiteral("再生")), Qt::LeftButton);
    QVERIFY(!window->isPaused());
    QTest::mouseClick(button(*window, QStringLiteral("閉じる")), Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(window.isNull());
}

void TestPreview::escapeClosesAndDeletes() {
    FakeClock clock;
    QPointer<preview::ScrollPreview> window = new preview::ScrollPreview(nullptr, &clock);
    window->play(scrollsigns::sign(7, 3), settings(50));
    window->show();
    QVERIFY(clock.pending());
    QTest::keyClick(window, Qt::Key_Escape);
    QVERIFY(!window->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(window.isNull());
    QVERIFY(!clock.pending()); // nothing calls into the deleted window
}

void TestPreview::fittedRect_data() {
    QTest::addColumn<QSize>("area");
    QTest::addColumn<QRect>("expected");
    // A 64-cell panel of 17 rows of 8 × 8 dots: 512 × 136.
    QTest::newRow("exactly 1×") << QSize(512, 136) << QRect(0, 0, 512, 136);
    QTest::newRow("just short of 2×") << QSize(1023, 400) << QRect(255, 132, 512, 136);
    QTest::newRow("2×, centred") << QSize(1100, 300) << QRect(38, 14, 1024, 272);
    QTest::newRow("3×, the height decides") << QSize(2000, 409) << QRect(232, 0, 1536, 408);
    QTest::newRow("too narrow: 1/2") << QSize(511, 136) << QRect(127, 34, 256, 68);
    QTest::newRow("too low: 1/3") << QSize(600, 67) << QRect(215, 11, 170, 45);
    QTest::newRow("no room") << QSize(0, 136) << QRect();
}

void TestPreview::fittedRect() {
    QFETCH(QSize, area);
    QFETCH(QRect, expected);
    QCOMPARE(preview::fittedRect(QSize(512, 136), area), expected);
}

void TestPreview::panelIsScaledWithoutSmoothingOnBlack() {
    FakeClock clock;
    preview::ScrollPreview window(nullptr, &clock);
    window.play(scrollsigns::sign(7, 3), settings(50)); // frames of 21 × 6 pixels
    clock.advanceTo(100);
    preview::PanelView panel;
    panel.setFrame(&window.currentFrame());
    panel.resize(50, 21); // 2× fits, 3× does not: 42 × 12 at (4, 4)
    const QImage shown = panel.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage expected = expectedFrame(scrollsigns::sign(7, 3), settings(50), 2)
                                .scaled(42, 12, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    QCOMPARE(shown.copy(4, 4, 42, 12), expected);
    QImage black = shown;
    QPainter(&black).fillRect(4, 4, 42, 12, Qt::black);
    for (int y = 0; y < black.height(); ++y) {
        for (int x = 0; x < black.width(); ++x)
            QCOMPARE(black.pixel(x, y), qRgb(0, 0, 0));
    }
}

QTEST_MAIN(TestPreview)
#include "test_preview.moc"
