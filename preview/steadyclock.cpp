#include "preview/steadyclock.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace preview {

SteadyClock::SteadyClock() {
    m_elapsed.start();
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer); // a coarse timer may fire 5 % of its interval late
    QObject::connect(&m_timer, &QTimer::timeout, [this] { timedOut(); });
}

qint64 SteadyClock::nowMs() const {
    return m_elapsed.elapsed();
}

void SteadyClock::wakeAt(qint64 atMs, std::function<void()> wake) {
    m_atMs = atMs;
    m_wake = std::move(wake);
    m_timer.start(int(std::clamp<qint64>(atMs - nowMs(), 0, std::numeric_limits<int>::max())));
}

void SteadyClock::cancel() {
    m_timer.stop();
    m_wake = nullptr;
}

void SteadyClock::timedOut() {
    // The timer counts on its own clock; a wake-up a fraction of a millisecond early waits for the rest.
    if (nowMs() < m_atMs) {
        m_timer.start(int(m_atMs - nowMs()));
        return;
    }
    if (const std::function<void()> wake = std::exchange(m_wake, nullptr))
        wake();
}

} // namespace preview
