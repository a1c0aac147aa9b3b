#include "RefreshClock.h"

#include <algorithm>

std::chrono::steady_clock::time_point RefreshClock::now() const {
    return std::chrono::steady_clock::now();
}

bool RefreshClock::sleepFor(std::chrono::seconds wait) {
    // InterruptibleSleep turns its duration into a deadline in nanoseconds, which holds only
    // about 292 years, so a longer wait is taken a day at a time.
    constexpr std::chrono::seconds slice = std::chrono::hours(24);
    for (std::chrono::seconds left = wait; left > std::chrono::seconds::zero(); left -= slice) {
        const InterruptibleSleep::End end = m_sleep.pause(std::min(left, slice));
        if (end != InterruptibleSleep::End::Elapsed)
            return end == InterruptibleSleep::End::Woken;
    }
    return !m_sleep.isInterrupted();
}

void RefreshClock::interrupt() {
    m_sleep.interrupt();
}

void RefreshClock::wake() {
    m_sleep.wake();
}
