#include "FetchPolicy.h"

#include <algorithm>
#include <cmath>
#include <random>

#include <QLocale>
#include <QStringList>
#include <QTimeZone>

namespace {

bool isFailure(const HttpResponse &response) {
    return !response.ok || response.status == 429 || response.status >= 500;
}

// An HTTP date in any of the three forms a server may send, always in GMT. The day's name is
// skipped: Qt would check it against a two-digit year read as 19yy. Date and time are read
// apart, since Qt reads a date with a time in local time, where a wall time may not exist.
QDateTime httpDate(const QByteArray &value) {
    QStringList words = QString::fromLatin1(value).simplified().split(u' ');
    const auto clock = std::find_if(words.begin(), words.end(),
                                    [](const QString &word) { return word.contains(u':'); });
    if (clock == words.begin() || clock == words.end())
        return QDateTime();
    const QTime time = QTime::fromString(*clock, QStringLiteral("HH:mm:ss"));
    words.erase(clock);
    const QString day = words.mid(1).join(u' ');
    for (const char *format : {"dd MMM yyyy 'GMT'", "dd-MMM-yy 'GMT'", "MMM d yyyy"}) {
        QDate date = QLocale::c().toDate(day, QString::fromLatin1(format));
        if (!date.isValid() || !time.isValid())
            continue;
        // Two-digit years name the century nearest to now, which these dates never precede.
        if (date.year() < 1970)
            date = date.addYears(100);
        return QDateTime(date, time, QTimeZone::utc());
    }
    return QDateTime();
}

std::function<double()> uniformRandom() {
    auto engine = std::make_shared<std::mt19937_64>(std::random_device{}());
    auto mutex = std::make_shared<std::mutex>();
    return [engine, mutex] {
        std::lock_guard lock(*mutex);
        return std::uniform_real_distribution<double>(0.0, 1.0)(*engine);
    };
}

} // namespace

FetchPolicy::FetchPolicy(std::function<double()> random)
    : m_random(random ? std::move(random) : uniformRandom()) {}

void FetchPolicy::setIntervalMinutes(double minutes) {
    // Past the longest back-off the interval makes no difference.
    const double longest = static_cast<double>(kLongestBackoff.count());
    m_intervalSeconds =
        minutes > 0.0 ? static_cast<std::chrono::seconds::rep>(std::min(minutes * 60.0, longest))
                      : m_intervalSeconds.load();
}

QDateTime FetchPolicy::pausedUntil(const QUrl &url, const QDateTime &now) const {
    std::lock_guard lock(m_mutex);
    return runningUntil(m_hosts.value(hostOf(url)).pausedUntil, now);
}

QDateTime FetchPolicy::askedToWaitUntil(const QUrl &url, const QDateTime &now) const {
    std::lock_guard lock(m_mutex);
    return runningUntil(m_hosts.value(hostOf(url)).askedUntil, now);
}

// A pause longer than any this policy sets means the clock went back, and is over.
QDateTime FetchPolicy::runningUntil(const QDateTime &until, const QDateTime &now) {
    const qint64 longest = std::max(kLongestRetryAfter, kLongestBackoff).count();
    if (!until.isValid() || until <= now || now.secsTo(until) > longest)
        return QDateTime();
    return until;
}

HttpHeaders FetchPolicy::conditionalHeaders(const QUrl &url) const {
    std::lock_guard lock(m_mutex);
    const Validators validators = m_validators.value(url);
    HttpHeaders headers;
    if (!validators.etag.isEmpty())
        headers.append({"If-None-Match", validators.etag});
    if (!validators.lastModified.isEmpty())
        headers.append({"If-Modified-Since", validators.lastModified});
    return headers;
}

void FetchPolicy::rememberPage(const QUrl &url, const HttpResponse &response) {
    const Validators validators{response.headers.value("etag"),
                                response.headers.value("last-modified")};
    std::lock_guard lock(m_mutex);
    if (validators.etag.isEmpty() && validators.lastModified.isEmpty())
        m_validators.remove(url);
    else
        m_validators.insert(url, validators);
}

void FetchPolicy::recordAnswer(const QUrl &url, const HttpResponse &response,
                               const QDateTime &now) {
    // A transfer cut short by quitting says nothing about the host.
    if (response.failure == HttpFailure::Cancelled)
        return;
    std::optional<QDateTime> asked;
    if (response.status == 429 || response.status == 503)
        asked = retryAfter(response.headers.value("retry-after"), now);
    const std::chrono::seconds interval(m_intervalSeconds.load());
    std::lock_guard lock(m_mutex);
    Host &host = m_hosts[hostOf(url)];
    host.failures = isFailure(response) ? std::min(host.failures + 1, 64) : 0;
    const std::chrono::milliseconds wait = backoff(host.failures, interval, m_random());
    host.pausedUntil = wait.count() > 0 ? now.addMSecs(wait.count()) : QDateTime();
    host.askedUntil = asked.value_or(QDateTime());
    if (asked && (!host.pausedUntil.isValid() || *asked > host.pausedUntil))
        host.pausedUntil = *asked;
}

std::optional<QDateTime> FetchPolicy::retryAfter(const QByteArray &value, const QDateTime &now) {
    const QByteArray text = value.trimmed();
    const QDateTime latest = now.addSecs(kLongestRetryAfter.count());
    const bool digits = !text.isEmpty() && std::all_of(text.cbegin(), text.cend(),
                                                       [](char c) { return c >= '0' && c <= '9'; });
    if (digits) {
        // Only the first few digits matter once the cap is passed.
        const qint64 seconds = text.size() > 9 ? kLongestRetryAfter.count() : text.toLongLong();
        return std::min(now.addSecs(seconds), latest);
    }
    const QDateTime date = httpDate(text);
    if (!date.isValid())
        return std::nullopt;
    return std::clamp(date, now, latest);
}

std::chrono::milliseconds FetchPolicy::backoff(int failures, std::chrono::seconds interval,
                                               double random) {
    using std::chrono::milliseconds;
    // One failure may be one bad page; the back-off starts with the second in a row.
    if (failures < 2)
        return milliseconds::zero();
    const double longest = static_cast<double>(milliseconds(kLongestBackoff).count());
    const double first = static_cast<double>(milliseconds(interval).count());
    const double ceiling = std::min(longest, first * std::exp2(std::min(failures - 2, 32)));
    const double share = std::clamp(random, 0.0, 1.0);
    return milliseconds(static_cast<milliseconds::rep>(std::max(ceiling, 0.0) * share));
}

QString FetchPolicy::hostOf(const QUrl &url) {
    return url.host().toLower() + u':' +
           QString::number(url.port(url.scheme() == "https" ? 443 : 80));
}
