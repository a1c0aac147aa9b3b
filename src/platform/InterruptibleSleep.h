#pragma once

#include <chrono>
#include <mutex>

#include <pthread.h>

// A pause that another thread can cut short, so that quitting never waits out a sleep.
// Once interrupted it stays so: every later pause returns at once.
class InterruptibleSleep {
public:
    InterruptibleSleep();
    ~InterruptibleSleep();
    InterruptibleSleep(const InterruptibleSleep &) = delete;
    InterruptibleSleep &operator=(const InterruptibleSleep &) = delete;

    enum class End { Elapsed, Woken, Interrupted };

    // Waits for the duration, unaffected by changes of the wall clock; false when interrupted.
    bool sleepFor(std::chrono::milliseconds duration);
    // The same, saying how the pause ended.
    End pause(std::chrono::milliseconds duration);
    void interrupt();
    // Ends the pause under way, or else the next one, without the lasting effect of interrupt().
    void wake();
    bool isInterrupted() const;

private:
    mutable std::mutex m_mutex;
    // Not std::condition_variable: its timed waits use pthread_cond_clockwait, which
    // ThreadSanitizer does not know, so it would report every read after a wait as a race.
    pthread_cond_t m_wake;
    bool m_interrupted = false;
    bool m_woken = false;
};
