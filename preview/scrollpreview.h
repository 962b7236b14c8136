#pragma once

#include "preview/clock.h"
#include "scroll/framesequence.h"

#include <QImage>
#include <QString>
#include <QWidget>

#include <memory>
#include <optional>

class QLabel;
class QPushButton;

namespace preview {

class PanelView;

// The window "スクロール表示": plays the scroll animation of a sign in a loop at its frame delay, from
// frame 0 (the sign as it stands), scaled by whole numbers on black. Space pauses and plays, Left and
// Right step one frame while paused, + and − halve and double the delay (for this window only), Escape
// closes; buttons do the same. It only shows: the board, the settings and the clipboard stay as they are.
//
// Each frame shows for its own delay (a held frame longer), every delay scaled alike by + and −. A frame is
// due when the one before it was due plus that one's delay, on the clock, whatever the lateness of the
// wake-ups before it: a late wake-up shows the frame due then, skipping the ones it missed, and the
// animation never drifts. The window deletes itself when it is closed.
class ScrollPreview : public QWidget {
    Q_OBJECT

public:
    // parent: the window it belongs to (it stays a window of its own, closed with its parent).
    // clock: where time comes from; it must outlive the window. Without one the window plays on the
    // system's monotonic clock.
    explicit ScrollPreview(QWidget* parent = nullptr, Clock* clock = nullptr);
    ~ScrollPreview() override;

    // Plays sign from frame 0 with settings' panel, direction, step and delay (any delay changed with +
    // and − is forgotten). Settings that checkSettings refuses show why in the status line, and nothing plays.
    void play(const scroll::Sign& sign, const scroll::AnimationSettings& settings);

    void togglePause();
    void stepForward(); // while paused; from the last frame to the first
    void stepBack();    // while paused; from the first frame to the last
    void faster();      // halves the delay, down to scroll::MinDelayMs
    void slower();      // doubles the delay, up to scroll::MaxDelayMs

    bool isPlaying() const { return m_frames.has_value(); } // an animation is loaded, paused or not
    bool isPaused() const { return m_paused; }
    int frameIndex() const { return m_frameIndex; } // 0-based
    int frameCount() const { return m_frames ? m_frames->frameCount() : 0; }
    int delayMs() const { return m_delayMs; }
    const QImage& currentFrame() const { return m_frame; } // the frame shown, one pixel per pixel
    QString statusText() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void createControls();
    void runFrom(qint64 nowMs);
    void wakeForNextFrame();
    qint64 durationOf(int frame) const;
    void frameDue();
    bool showFrame(int frame);
    void stop(const QString& why);
    void setDelay(int delayMs);
    void refreshControls();

    std::unique_ptr<Clock> m_ownClock;
    Clock* m_clock;
    std::optional<scroll::FrameSequence> m_frames;
    QImage m_frame;
    int m_frameIndex = 0;
    int m_delayMs = scroll::AnimationSettings().delayMs;
    bool m_paused = false;
    int m_baseDelayMs = m_delayMs; // the settings' delay, that + and − change into m_delayMs
    qint64 m_nextDueMs = 0;        // when the frame after the one on show is due
    QString m_failure;
    bool m_sized = false;

    PanelView* m_panel = nullptr;
    QLabel* m_status = nullptr;
    QPushButton* m_pauseButton = nullptr;
    QPushButton* m_backButton = nullptr;
    QPushButton* m_forwardButton = nullptr;
    QPushButton* m_fasterButton = nullptr;
    QPushButton* m_slowerButton = nullptr;
};

} // namespace preview
