#include "MarketHours.h"

#include <utility>

#include <QFileInfo>
#include <QLocale>

#include "UserDefaults.h"

MarketHours::MarketHours(UserDefaults &defaults)
    : MarketHours(defaults, MarketCalendar::fromFile(QFileInfo(defaults.filePath()).absolutePath() +
                                                     QStringLiteral("/market-days.txt"))) {}

MarketHours::MarketHours(UserDefaults &defaults, MarketCalendar calendar)
    : m_defaults(defaults)
    , m_calendar(std::move(calendar))
    , m_enabled(defaults.value(UserDefaults::KEY_MARKET_HOURS_ONLY)) {}

bool MarketHours::setEnabled(bool enabled) {
    m_enabled = enabled;
    return m_defaults.setValue(UserDefaults::KEY_MARKET_HOURS_ONLY, enabled);
}

QString MarketHours::resumeNote(const QDateTime &now) const {
    if (!m_enabled || m_calendar.isOpen(now))
        return QString();
    const QDateTime open = m_calendar.nextOpen(now);
    if (!open.isValid())
        return QString();
    const QLocale japanese(QLocale::Japanese, QLocale::Japan);
    return QStringLiteral("次の取引開始: ") +
           japanese.toString(open.toTimeZone(MarketCalendar::exchangeZone()),
                             QStringLiteral("M月d日(ddd) H:mm"));
}

QDateTime MarketHours::closedSince(const QDateTime &now) const {
    if (!m_enabled || m_calendar.isOpen(now))
        return QDateTime();
    return m_calendar.lastClose(now);
}
