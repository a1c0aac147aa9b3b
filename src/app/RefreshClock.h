#pragma once

#include <chrono>

#include "InterruptibleSleep.h"

// Time as the refresh loop sees it: a steady clock and pauses that interrupt() cuts short.
// Tests derive from it to move time by hand instead of sleeping.
class RefreshClock {
public:
    RefreshClock() = default;
    virtual ~RefreshClock() = default;
    RefreshClock(const RefreshClock &) = delete;
    RefreshClock &operator=(const RefreshClock &) = delete;

    virtual std::chrono::steady_clock::time_point now() const;
    // Waits for the duration, however long; false when interrupted. Once interrupted, every
    // later pause returns false at once.
    virtual bool sleepFor(std::chrono::seconds wait);
    virtual void interrupt(); // any thread
    // Ends the pause under way (or the next one) early, as if it had run out; any thread.
    virtual void wake();

private:
    InterruptibleSleep m_sleep;
};
