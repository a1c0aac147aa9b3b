#pragma once

#include <chrono>

#include <QDate>
#include <QDateTime>
#include <QIODevice>
#include <QMap>
#include <QString>
#include <QTimeZone>

// The Tokyo Stock Exchange's trading days and sessions, as pure functions of a time point:
// the rules of the national holidays and the year-end break, plus days the user declares.
class MarketCalendar {
public:
    // Days whose status the user declares: true for open, false for closed.
    using DayOverrides = QMap<QDate, bool>;

    explicit MarketCalendar(DayOverrides overrides = {});

    // Reads lines "YYYY-MM-DD closed" or "YYYY-MM-DD open" ('#' starts a comment); a missing
    // file declares nothing, and every other line is ignored and named once in the log.
    static MarketCalendar fromFile(const QString &path);
    // The same from an open device, whose lines the log names as those of `name`. A leading
    // UTF-8 byte order mark is skipped; reading stops after kMaxFileBytes.
    static MarketCalendar read(QIODevice &file, const QString &name);

    static constexpr qint64 kMaxLineBytes = 4096;
    static constexpr qint64 kMaxFileBytes = 1024 * 1024;

    // Japan time, whatever the host's zone.
    static QTimeZone exchangeZone();
    // A national holiday, a substitute holiday or a day between two national holidays.
    static bool isNationalHoliday(QDate day);

    // A Japanese calendar day on which the exchange trades.
    bool isTradingDay(QDate day) const;
    // Within a session: 9:00-11:30 or 12:30-15:30 Japan time of a trading day.
    bool isOpen(const QDateTime &when) const;
    // The first session start after `when`; invalid when none lies within a year.
    QDateTime nextOpen(const QDateTime &when) const;
    // The end of the last session that ended at or before `when`; invalid when none within a
    // year.
    QDateTime lastClose(const QDateTime &when) const;
    // When the next refresh pass is due after one that began at `passStart`: an interval
    // later if that is within a session, else at the next session start, but never later
    // than a minute after the next session end (for the closing prices). Invalid when the
    // exchange does not open within a year.
    QDateTime nextRefresh(const QDateTime &passStart, std::chrono::seconds interval) const;

    // The hours of one session, Japan time.
    struct SessionTimes {
        QTime open;
        QTime close;
    };

private:
    // The first session start (or end) after `when`; invalid when none within a year.
    QDateTime nextBoundary(const QDateTime &when, QTime SessionTimes::*edge) const;

    const DayOverrides m_overrides;
};
