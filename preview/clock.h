#pragma once

#include <QtGlobal>

#include <functional>

namespace preview {

// Where the preview's time comes from: a monotonic clock in milliseconds and one pending wake-up. The
// window plays on SteadyClock; tests hand it a clock they move themselves, so no test waits for real time.
class Clock {
public:
    virtual ~Clock() = default;

    virtual qint64 nowMs() const = 0;
    // Calls wake once, when nowMs() has reached atMs (at once when it already has); replaces any wake-up
    // still pending.
    virtual void wakeAt(qint64 atMs, std::function<void()> wake) = 0;
    // Forgets the pending wake-up, if any.
    virtual void cancel() = 0;
};

} // namespace preview
