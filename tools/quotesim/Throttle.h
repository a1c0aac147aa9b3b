#pragma once

#include <chrono>
#include <mutex>
#include <optional>
#include <string>

// A site that asks its clients to slow down: the first quote request is answered 429 with
// Retry-After, and any request before that time has passed is counted as early (and answered
// 429 again). Off when made with a zero delay. Safe to call from several threads.
class Throttle {
public:
    using Clock = std::chrono::steady_clock;

    explicit Throttle(std::chrono::seconds retryAfter);

    // The Retry-After seconds to answer with, or nullopt when the request is to be served.
    std::optional<long> admit(Clock::time_point now = Clock::now());
    // "requests N early M": every quote request so far, and those that came too soon.
    std::string counts() const;

private:
    const std::chrono::seconds m_retryAfter;
    mutable std::mutex m_mutex;
    std::optional<Clock::time_point> m_openAt;
    long m_requests = 0;
    long m_early = 0;
};
