#include "preview/scrollpreview.h"

#include "platform/errors.h"
#include "platform/failuretexts.h"
#include "preview/panelview.h"
#include "preview/steadyclock.h"
#include "ui/pictures.h"

#include <QBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include <algorithm>
#include <new>

namespace preview {

namespace {

QString outOfMemoryText() {
    return platform::errorReportText(platform::RuntimeError(platform::ErrOutOfMemory));
}

QPushButton* addButton(QBoxLayout* row, const QString& caption) {
    auto* button = new QPushButton(caption);
    button->setFocusPolicy(Qt::NoFocus); // Space and the arrows belong to the window, not to a button
    button->setAutoDefault(false);
    row->addWidget(button);
    return button;
}

} // namespace

ScrollPreview::ScrollPreview(QWidget* parent, Clock* clock)
    : QWidget(parent, Qt::Window), m_ownClock(clock == nullptr ? std::make_unique<SteadyClock>() : nullptr),
      m_clock(clock == nullptr ? m_ownClock.get() : clock) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("スクロール表示"));
    setWindowIcon(ui::windowIcon());
    setFocusPolicy(Qt::StrongFocus);
    createControls();
    refreshControls();
}

ScrollPreview::~ScrollPreview() {
    m_clock->cancel(); // a clock of the caller's must not call into a deleted window
}

void ScrollPreview::createControls() {
    m_panel = new PanelView(this);
    m_panel->setFrame(&m_frame);

    auto* buttons = new QHBoxLayout;
    m_pauseButton = addButton(buttons, QStringLiteral("一時停止"));
    m_backButton = addButton(buttons, QStringLiteral("◀ 前"));
    m_forwardButton = addButton(buttons, QStringLiteral("次 ▶"));
    m_fasterButton = addButton(buttons, QStringLiteral("速く"));
    m_slowerButton = addButton(buttons, QStringLiteral("遅く"));
    buttons->addStretch(1);
    QPushButton* closeButton = addButton(buttons, QStringLiteral("閉じる"));
    connect(m_pauseButton, &QPushButton::clicked, this, &ScrollPreview::togglePause);
    connect(m_backButton, &QPushButton::clicked, this, &ScrollPreview::stepBack);
    connect(m_forwardButton, &QPushButton::clicked, this, &ScrollPreview::stepForward);
    connect(m_fasterButton, &QPushButton::clicked, this, &ScrollPreview::faster);
    connect(m_slowerButton, &QPushButton::clicked, this, &ScrollPreview::slower);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);

    m_status = new QLabel(this);
    m_status->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_status->setTextInteractionFlags(Qt::NoTextInteraction);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(m_panel, 1);
    auto* controls = new QVBoxLayout;
    controls->setContentsMargins(6, 0, 6, 6);
    controls->addLayout(buttons);
    controls->addWidget(m_status);
    layout->addLayout(controls);
}

void ScrollPreview::play(const scroll::Sign& sign, const scroll::AnimationSettings& settings) {
    m_clock->cancel();
    m_frames.reset(); // the earlier sign's memory is free before the new one is taken
    const platform::Result checked = scroll::checkSettings(sign, settings);
    if (!checked.ok()) {
        stop(platform::failureText(checked, platform::Language::Japanese));
        return;
    }
    try {
        m_frames.emplace(sign, settings);
    } catch (const std::bad_alloc&) {
        stop(outOfMemoryText());
        return;
    }
    m_failure.clear();
    m_delayMs = settings.delayMs;
    m_baseDelayMs = settings.delayMs;
    m_paused = false;
    if (!m_sized) {
        // The first sign sizes the window: the panel as large as whole numbers allow in part of the screen.
        const QSize frame = m_frames->frameSize();
        const QSize room = screen() != nullptr ? screen()->availableGeometry().size() * 2 / 3 : frame;
        const int times = std::max(1, std::min(room.width() / frame.width(), room.height() / frame.height()));
        m_panel->setPreferredSize(frame * times);
        adjustSize(); // no larger than the screen allows
        m_sized = true;
    }
    if (showFrame(0))
        runFrom(m_clock->nowMs());
}

void ScrollPreview::runFrom(qint64 nowMs) {
    m_nextDueMs = nowMs + durationOf(m_frameIndex);
    wakeForNextFrame();
}

qint64 ScrollPreview::durationOf(int frame) const {
    // Every frame's own time, held and blinking ones too, at the pace + and − set.
    return std::max<qint64>(1, qint64(m_frames->delayMs(frame)) * m_delayMs / m_baseDelayMs);
}

void ScrollPreview::wakeForNextFrame() {
    m_clock->wakeAt(m_nextDueMs, [this] { frameDue(); });
}

void ScrollPreview::frameDue() {
    // The frame due now, counted on from the last one's due time: a late wake-up skips frames rather than
    // drifting.
    const qint64 now = m_clock->nowMs();
    int frame = (m_frameIndex + 1) % frameCount();
    qint64 nextDue = m_nextDueMs + durationOf(frame);
    while (nextDue <= now) {
        frame = (frame + 1) % frameCount();
        nextDue += durationOf(frame);
    }
    m_nextDueMs = nextDue;
    if (frame == m_frameIndex || showFrame(frame))
        wakeForNextFrame();
}

bool ScrollPreview::showFrame(int frame) {
    bool drawn = false;
    try {
        drawn = m_frames->drawFrame(frame, m_frame);
    } catch (const std::bad_alloc&) {
    }
    if (!drawn) {
        stop(outOfMemoryText());
        return false;
    }
    m_frameIndex = frame;
    m_panel->update();
    refreshControls();
    return true;
}

void ScrollPreview::stop(const QString& why) {
    m_clock->cancel();
    m_frames.reset();
    m_frame = QImage();
    m_frameIndex = 0;
    m_paused = false;
    m_failure = why;
    m_panel->update();
    refreshControls();
}

void ScrollPreview::togglePause() {
    if (!isPlaying())
        return;
    m_paused = !m_paused;
    if (m_paused)
        m_clock->cancel();
    else
        runFrom(m_clock->nowMs()); // the frame on show stays one whole delay
    refreshControls();
}

void ScrollPreview::stepForward() {
    if (isPlaying() && m_paused)
        showFrame((m_frameIndex + 1) % frameCount());
}

void ScrollPreview::stepBack() {
    if (isPlaying() && m_paused)
        showFrame((m_frameIndex + frameCount() - 1) % frameCount());
}

void ScrollPreview::faster() {
    setDelay(std::max(scroll::MinDelayMs, m_delayMs / 2));
}

void ScrollPreview::slower() {
    setDelay(std::min(scroll::MaxDelayMs, m_delayMs * 2));
}

void ScrollPreview::setDelay(int delayMs) {
    if (!isPlaying() || delayMs == m_delayMs)
        return;
    m_delayMs = delayMs;
    if (!m_paused)
        runFrom(m_clock->nowMs()); // the new pace starts now, from the frame on show
    refreshControls();
}

QString ScrollPreview::statusText() const {
    if (!m_failure.isEmpty())
        return m_failure;
    if (!isPlaying())
        return {};
    QString text = QStringLiteral("%1 / %2 フレーム  %3 ms").arg(m_frameIndex + 1).arg(frameCount()).arg(m_delayMs);
    if (m_paused)
        text += QStringLiteral("  一時停止");
    return text;
}

void ScrollPreview::refreshControls() {
    m_status->setText(statusText());
    m_pauseButton->setText(m_paused ? QStringLiteral("再生") : QStringLiteral("一時停止"));
    m_pauseButton->setEnabled(isPlaying());
    m_backButton->setEnabled(isPlaying() && m_paused);
    m_forwardButton->setEnabled(isPlaying() && m_paused);
    m_fasterButton->setEnabled(isPlaying() && m_delayMs > scroll::MinDelayMs);
    m_slowerButton->setEnabled(isPlaying() && m_delayMs < scroll::MaxDelayMs);
}

void ScrollPreview::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Space:
        togglePause();
        break;
    case Qt::Key_Left:
        stepBack();
        break;
    case Qt::Key_Right:
        stepForward();
        break;
    case Qt::Key_Plus:
    case Qt::Key_Equal: // "+" without Shift on keyboards that put it there
        faster();
        break;
    case Qt::Key_Minus:
        slower();
        break;
    case Qt::Key_Escape:
        close();
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

} // namespace preview
