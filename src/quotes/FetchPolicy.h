#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <optional>

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QString>
#include <QUrl>

#include "HttpClient.h"

// How the program asks each quote host: conditional requests from the validators of the last
// page read, a pause that honours Retry-After, and an exponential back-off with full jitter
// after two or more failures in a row. Safe to use from any thread; times come from the caller.
class FetchPolicy {
public:
    static constexpr std::chrono::seconds kLongestRetryAfter = std::chrono::hours(1);
    static constexpr std::chrono::seconds kLongestBackoff = std::chrono::minutes(30);

    // `random` gives numbers in [0, 1) for the jitter.
    explicit FetchPolicy(std::function<double()> random = {});
    FetchPolicy(const FetchPolicy &) = delete;
    FetchPolicy &operator=(const FetchPolicy &) = delete;

    // The refresh interval, where the back-off starts.
    void setIntervalMinutes(double minutes);

    // When the URL's host may be asked again; invalid when it may be asked now. A pause
    // longer than any this policy sets means the clock went back, and is over.
    QDateTime pausedUntil(const QUrl &url, const QDateTime &now) const;
    // The part of that pause the host asked for with Retry-After; invalid when none runs.
    QDateTime askedToWaitUntil(const QUrl &url, const QDateTime &now) const;
    // If-None-Match and If-Modified-Since from the last page remembered for the URL.
    HttpHeaders conditionalHeaders(const QUrl &url) const;
    // Keeps the validators of a response whose page was read in full.
    void rememberPage(const QUrl &url, const HttpResponse &response);
    // Sets the host's pause after an answer: Retry-After of a 429 or 503, and the back-off
    // after a failure (no answer, 429 or a 5xx); any other answer ends the back-off.
    void recordAnswer(const QUrl &url, const HttpResponse &response, const QDateTime &now);

    // The end of the pause a Retry-After value asks for (delay seconds or an HTTP date),
    // at most an hour after `now`; nullopt when the value is neither.
    static std::optional<QDateTime> retryAfter(const QByteArray &value, const QDateTime &now);
    // The back-off after `failures` consecutive failures: none after one, then a share
    // `random` of the interval, doubled for each further failure up to 30 minutes.
    static std::chrono::milliseconds backoff(int failures, std::chrono::seconds interval,
                                             double random);

private:
    struct Host {
        QDateTime pausedUntil;
        QDateTime askedUntil; // by the last answer's Retry-After
        int failures = 0;
    };
    struct Validators {
        QByteArray etag;
        QByteArray lastModified;
    };
    static QString hostOf(const QUrl &url);
    static QDateTime runningUntil(const QDateTime &until, const QDateTime &now);

    const std::function<double()> m_random;
    std::atomic<std::chrono::seconds::rep> m_intervalSeconds{600};
    mutable std::mutex m_mutex; // guards the two tables
    QHash<QString, Host> m_hosts;
    QHash<QUrl, Validators> m_validators;
};
