#include "RefreshSchedule.h"

#include <algorithm>
#include <cmath>

#include "MarketHours.h"

namespace {

std::chrono::seconds intervalSeconds(double minutes) {
    constexpr double longest = 1e9;
    if (!(minutes > 0.0))
        return RefreshSchedule::kLongestWait;
    return std::chrono::seconds(static_cast<qint64>(std::min(minutes * 60.0, longest)));
}

} // namespace

RefreshSchedule::RefreshSchedule(const MarketHours &marketHours)
    : m_marketHours(marketHours) {}

bool RefreshSchedule::beginPass(const QDateTime &now) {
    const bool asked = m_asked.exchange(false);
    if (!m_marketHours.isEnabled()) {
        m_passStart = QDateTime();
        m_due = QDateTime();
        return true;
    }
    bool due = false;
    if (asked || !m_passStart.isValid())
        due = true; // asked for, or the first pass with the switch on, at launch or later
    else if (now < m_passStart)
        due = m_marketHours.calendar().isOpen(now); // the clock went back
    else
        due = m_due.isValid() && now >= m_due;
    if (due) {
        m_passStart = now;
        m_retryFrom.reset();
    }
    return due;
}

void RefreshSchedule::passFailed(const QDateTime &hostFree) {
    m_retryFrom = hostFree;
}

void RefreshSchedule::askForPass() {
    m_asked = true;
}

std::chrono::seconds RefreshSchedule::waitAfterPass(std::chrono::seconds plainWait,
                                                    double intervalMinutes, const QDateTime &now) {
    using std::chrono::seconds;
    if (!m_marketHours.isEnabled())
        return plainWait;
    // Turned on while the pass ran: the next look counts as the first pass.
    if (!m_passStart.isValid())
        return std::min(plainWait, kLongestWait);
    const std::chrono::seconds interval = intervalSeconds(intervalMinutes);
    m_due = m_marketHours.calendar().nextRefresh(m_passStart, interval);
    if (m_retryFrom) {
        // Within a session the next pass comes as soon; outside, this is the only one.
        QDateTime retry = m_passStart.addSecs(interval.count());
        if (m_retryFrom->isValid() && *m_retryFrom > retry)
            retry = *m_retryFrom;
        if (!m_due.isValid() || retry < m_due)
            m_due = retry;
    }
    if (!m_due.isValid())
        return kLongestWait;
    return std::clamp(seconds(now.secsTo(m_due)), seconds(1), kLongestWait);
}
