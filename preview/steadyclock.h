#pragma once

#include "preview/clock.h"

#include <QElapsedTimer>
#include <QTimer>

namespace preview {

// The system's monotonic clock, and a precise single-shot timer for the wake-up: a change of the wall
// clock never moves the animation.
class SteadyClock : public Clock {
public:
    SteadyClock();

    qint64 nowMs() const override;
    void wakeAt(qint64 atMs, std::function<void()> wake) override;
    void cancel() override;

private:
    void timedOut();

    QElapsedTimer m_elapsed;
    QTimer m_timer;
    qint64 m_atMs = 0;
    std::function<void()> m_wake;
};

} // namespace preview
