#include "Throttle.h"

#include <string>

Throttle::Throttle(std::chrono::seconds retryAfter)
    : m_retryAfter(retryAfter) {}

std::optional<long> Throttle::admit(Clock::time_point now) {
    std::lock_guard lock(m_mutex);
    ++m_requests;
    if (m_retryAfter.count() == 0)
        return std::nullopt;
    if (!m_openAt) {
        m_openAt = now + m_retryAfter;
        return static_cast<long>(m_retryAfter.count());
    }
    if (now >= *m_openAt)
        return std::nullopt;
    ++m_early;
    const auto left = std::chrono::ceil<std::chrono::seconds>(*m_openAt - now);
    return static_cast<long>(left.count());
}

std::string Throttle::counts() const {
    std::lock_guard lock(m_mutex);
    return "requests " + std::to_string(m_requests) + " early " + std::to_string(m_early) + "\n";
}
