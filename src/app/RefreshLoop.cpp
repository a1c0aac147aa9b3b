#include "RefreshLoop.h"

#include <cmath>
#include <utility>

#include "MemoryTrim.h"

RefreshLoop::RefreshLoop(Steps steps, std::unique_ptr<RefreshClock> clock)
    : m_steps(std::move(steps))
    , m_clock(std::move(clock))
    , m_thread([this] { run(); }) {}

RefreshLoop::~RefreshLoop() {
    m_clock->interrupt();
    m_steps.interruptPass();
    m_thread.join();
}

void RefreshLoop::wake() {
    m_clock->wake();
}

std::chrono::seconds RefreshLoop::waitAfterPass(double intervalMinutes,
                                                std::chrono::duration<double> elapsed) {
    using std::chrono::seconds;
    const double wait = std::trunc(intervalMinutes * 60.0 - elapsed.count());
    // Compared as doubles, before any conversion: an interval of centuries must neither wrap
    // around nor become a short wait. A NaN fails every comparison and waits the minimum.
    constexpr auto longest = static_cast<double>(seconds::max().count());
    if (!(wait >= 1.0))
        return seconds(1);
    if (wait >= longest)
        return seconds::max();
    return seconds(static_cast<seconds::rep>(wait));
}

void RefreshLoop::run() {
    for (;;) {
        const std::chrono::steady_clock::time_point start = m_clock->now();
        m_steps.pass();
        MemoryTrim::releaseFreePages(); // the pass's pages, idle until the next one
        const double interval = m_steps.intervalMinutes();
        std::chrono::seconds wait = waitAfterPass(interval, m_clock->now() - start);
        if (m_steps.adjustWait)
            wait = m_steps.adjustWait(wait);
        if (!m_clock->sleepFor(wait))
            return;
    }
}
