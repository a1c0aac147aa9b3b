#include "InterruptibleSleep.h"

#include <algorithm>
#include <ctime>

namespace {

timespec monotonicDeadline(std::chrono::milliseconds duration) {
    using namespace std::chrono;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const nanoseconds deadline =
        seconds(now.tv_sec) + nanoseconds(now.tv_nsec) + std::max(duration, milliseconds(0));
    const seconds whole = duration_cast<seconds>(deadline);
    return {static_cast<time_t>(whole.count()), static_cast<long>((deadline - whole).count())};
}

} // namespace

InterruptibleSleep::InterruptibleSleep() {
    pthread_condattr_t attributes;
    pthread_condattr_init(&attributes);
    pthread_condattr_setclock(&attributes, CLOCK_MONOTONIC);
    pthread_cond_init(&m_wake, &attributes);
    pthread_condattr_destroy(&attributes);
}

InterruptibleSleep::~InterruptibleSleep() {
    pthread_cond_destroy(&m_wake);
}

bool InterruptibleSleep::sleepFor(std::chrono::milliseconds duration) {
    return pause(duration) != End::Interrupted;
}

InterruptibleSleep::End InterruptibleSleep::pause(std::chrono::milliseconds duration) {
    const timespec deadline = monotonicDeadline(duration);
    std::unique_lock lock(m_mutex);
    while (!m_interrupted && !m_woken) {
        if (pthread_cond_timedwait(&m_wake, m_mutex.native_handle(), &deadline) != 0)
            return m_interrupted ? End::Interrupted : End::Elapsed; // timed out
    }
    if (m_interrupted)
        return End::Interrupted;
    m_woken = false;
    return End::Woken;
}

void InterruptibleSleep::interrupt() {
    {
        std::lock_guard lock(m_mutex);
        m_interrupted = true;
    }
    pthread_cond_broadcast(&m_wake);
}

void InterruptibleSleep::wake() {
    {
        std::lock_guard lock(m_mutex);
        m_woken = true;
    }
    pthread_cond_broadcast(&m_wake);
}

bool InterruptibleSleep::isInterrupted() const {
    std::lock_guard lock(m_mutex);
    return m_interrupted;
}
