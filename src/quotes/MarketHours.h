#pragma once

#include <atomic>

#include <QDateTime>
#include <QString>

#include "MarketCalendar.h"

class UserDefaults;

// The switch that keeps refreshing to the exchange's hours (UserDefaults::KEY_MARKET_HOURS_ONLY,
// off unless the user turns it on) and the calendar it follows. Safe to use from any thread.
class MarketHours {
public:
    // The calendar with the days declared in market-days.txt beside the settings file.
    explicit MarketHours(UserDefaults &defaults);
    MarketHours(UserDefaults &defaults, MarketCalendar calendar);
    MarketHours(const MarketHours &) = delete;
    MarketHours &operator=(const MarketHours &) = delete;

    bool isEnabled() const { return m_enabled; }
    // Takes effect at once; false when it could not be saved.
    bool setEnabled(bool enabled);
    const MarketCalendar &calendar() const { return m_calendar; }

    // With the switch on and the market shut: "次の取引開始: 1月5日(月) 9:00" in Japan time;
    // empty otherwise.
    QString resumeNote(const QDateTime &now) const;
    // With the switch on and the market shut, the end of the last session; a quote read
    // after it is as fresh as it can be. Invalid otherwise.
    QDateTime closedSince(const QDateTime &now) const;

private:
    UserDefaults &m_defaults;
    const MarketCalendar m_calendar;
    std::atomic<bool> m_enabled;
};
