#include "MarketCalendar.h"

#include <algorithm>
#include <array>
#include <optional>
#include <utility>

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include "Log.h"

namespace {

// The equinox days the National Astronomical Observatory reckons, as days of March and of
// September less 20, one digit a year from kFirstEquinoxYear.
constexpr int kFirstEquinoxYear = 2000;
constexpr std::string_view kVernalDays = "001100110011001100110011000100010001000100010001000";
constexpr std::string_view kAutumnalDays = "333333333333233323332333233323332333233323332233223";

// How far the searches for a session look before they give up: longer than any break.
constexpr int kSearchDays = 366;

using SessionTimes = MarketCalendar::SessionTimes;
const std::array<SessionTimes, 2> kSessions{{
    {QTime(9, 0), QTime(11, 30)},
    {QTime(12, 30), QTime(15, 30)},
}};

int equinoxDay(std::string_view table, int year) {
    const int index = year - kFirstEquinoxYear;
    if (index < 0 || index >= static_cast<int>(table.size()))
        return 0;
    return 20 + (table[static_cast<size_t>(index)] - '0');
}

// One holiday of the law as it stood from firstYear to lastYear: a fixed day of the month, or
// the nth Monday when `monday` is set.
struct HolidayRule {
    int month;
    int day;
    bool monday;
    int firstYear;
    int lastYear;
};

constexpr int kEver = 9999;

// The holiday law's days, with the years each held: the moves of the Happy Monday law (2000,
// 2003), the Emperor's birthday, 山の日 from 2016, the 2019 accession and the days moved for
// the Tokyo Olympics of 2020 and 2021 (2021-08-09 is the substitute for 8 August). The
// equinox days come from their own table.
constexpr std::array<HolidayRule, 33> kHolidays{{
    {1, 1, false, 0, kEver},     {1, 15, false, 0, 1999},     {1, 2, true, 2000, kEver},
    {2, 11, false, 0, kEver},    {2, 23, false, 2020, kEver}, {2, 24, false, 1989, 1989},
    {4, 29, false, 0, kEver},    {5, 1, false, 2019, 2019},   {5, 3, false, 0, kEver},
    {5, 4, false, 0, kEver},     {5, 5, false, 0, kEver},     {6, 9, false, 1993, 1993},
    {7, 20, false, 1996, 2002},  {7, 3, true, 2003, 2019},    {7, 23, false, 2020, 2020},
    {7, 22, false, 2021, 2021},  {7, 3, true, 2022, kEver},   {7, 24, false, 2020, 2020},
    {7, 23, false, 2021, 2021},  {8, 11, false, 2016, 2019},  {8, 10, false, 2020, 2020},
    {8, 8, false, 2021, 2021},   {8, 11, false, 2022, kEver}, {9, 15, false, 0, 2002},
    {9, 3, true, 2003, kEver},   {10, 10, false, 0, 1999},    {10, 2, true, 2000, 2019},
    {10, 2, true, 2022, kEver},  {10, 22, false, 2019, 2019}, {11, 3, false, 0, kEver},
    {11, 12, false, 1990, 1990}, {11, 23, false, 0, kEver},   {12, 23, false, 1989, 2018},
}};

bool matches(const HolidayRule &rule, QDate day) {
    if (day.month() != rule.month || day.year() < rule.firstYear || day.year() > rule.lastYear)
        return false;
    if (!rule.monday)
        return day.day() == rule.day;
    return day.dayOfWeek() == Qt::Monday && (day.day() - 1) / 7 == rule.day - 1;
}

// A holiday the law names, before substitute and in-between days.
bool isNamedHoliday(QDate day) {
    const auto holds = [day](const HolidayRule &rule) { return matches(rule, day); };
    if (std::any_of(kHolidays.begin(), kHolidays.end(), holds))
        return true;
    const int m = day.month();
    const int d = day.day();
    return (m == 3 && d == equinoxDay(kVernalDays, day.year())) ||
           (m == 9 && d == equinoxDay(kAutumnalDays, day.year()));
}

// The first day after a run of holidays that began on or included a Sunday; before 2007 only
// the Monday after a Sunday holiday.
bool isSubstituteHoliday(QDate day) {
    if (day.year() < 2007)
        return day.dayOfWeek() == Qt::Monday && isNamedHoliday(day.addDays(-1));
    for (QDate before = day.addDays(-1); isNamedHoliday(before); before = before.addDays(-1)) {
        if (before.dayOfWeek() == Qt::Sunday)
            return true;
    }
    return false;
}

bool isYearEndBreak(QDate day) {
    return (day.month() == 12 && day.day() == 31) || (day.month() == 1 && day.day() <= 3);
}

QDateTime at(QDate day, QTime time) {
    return QDateTime(day, time, MarketCalendar::exchangeZone());
}

std::optional<std::pair<QDate, bool>> parseDayLine(const QString &line) {
    static const QRegularExpression pattern(
        QStringLiteral("^\\s*(\\d{4}-\\d{2}-\\d{2})\\s+(closed|open)\\s*$"));
    const QRegularExpressionMatch match = pattern.match(line);
    if (!match.hasMatch())
        return std::nullopt;
    const QDate day = QDate::fromString(match.captured(1), Qt::ISODate);
    if (!day.isValid())
        return std::nullopt;
    return std::pair(day, match.captured(2) == QLatin1String("open"));
}

// The next line without its break; none when it is longer than kMaxLineBytes, in which case
// the whole of it is read past.
std::optional<QByteArray> nextLine(QIODevice &file) {
    constexpr qint64 chunk = MarketCalendar::kMaxLineBytes + 1; // readLine keeps one for a NUL
    QByteArray line = file.readLine(chunk);
    if (line.endsWith('\n'))
        line.chop(1);
    else if (!file.atEnd()) {
        while (!file.atEnd() && file.pos() < MarketCalendar::kMaxFileBytes &&
               !file.readLine(chunk).endsWith('\n')) {
        }
        return std::nullopt;
    }
    return line;
}

} // namespace

MarketCalendar::MarketCalendar(DayOverrides overrides)
    : m_overrides(std::move(overrides)) {}

MarketCalendar MarketCalendar::fromFile(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return MarketCalendar();
    return read(file, QFileInfo(path).fileName());
}

MarketCalendar MarketCalendar::read(QIODevice &file, const QString &name) {
    DayOverrides overrides;
    int number = 1;
    for (; !file.atEnd() && file.pos() < kMaxFileBytes; ++number) {
        std::optional<QByteArray> line = nextLine(file);
        if (!line) {
            Log::write(QStringLiteral("%1: line %2 ignored: too long").arg(name).arg(number));
            continue;
        }
        if (number == 1 && line->startsWith("\xEF\xBB\xBF"))
            line->remove(0, 3);
        const QString content = QString::fromUtf8(*line).section(u'#', 0, 0).trimmed();
        if (content.isEmpty())
            continue;
        if (const auto parsed = parseDayLine(content))
            overrides.insert(parsed->first, parsed->second);
        else
            Log::write(
                QStringLiteral("%1: line %2 ignored: %3").arg(name).arg(number).arg(content));
    }
    if (!file.atEnd())
        Log::write(QStringLiteral("%1: ignored from line %2 on: more than %3 bytes")
                       .arg(name)
                       .arg(number)
                       .arg(kMaxFileBytes));
    return MarketCalendar(std::move(overrides));
}

QTimeZone MarketCalendar::exchangeZone() {
    // Japan has kept one offset since 1951; without the zone database that offset stands in.
    static const QTimeZone zone = [] {
        QTimeZone tokyo("Asia/Tokyo");
        return tokyo.isValid() ? tokyo : QTimeZone(9 * 3600);
    }();
    return zone;
}

bool MarketCalendar::isNationalHoliday(QDate day) {
    if (isNamedHoliday(day))
        return true;
    const bool between = isNamedHoliday(day.addDays(-1)) && isNamedHoliday(day.addDays(1));
    return between || isSubstituteHoliday(day);
}

bool MarketCalendar::isTradingDay(QDate day) const {
    const auto declared = m_overrides.constFind(day);
    if (declared != m_overrides.cend())
        return *declared;
    return day.dayOfWeek() < Qt::Saturday && !isYearEndBreak(day) && !isNationalHoliday(day);
}

bool MarketCalendar::isOpen(const QDateTime &when) const {
    const QDateTime local = when.toTimeZone(exchangeZone());
    if (!isTradingDay(local.date()))
        return false;
    for (const SessionTimes &session : kSessions) {
        if (local.time() >= session.open && local.time() < session.close)
            return true;
    }
    return false;
}

QDateTime MarketCalendar::nextOpen(const QDateTime &when) const {
    return nextBoundary(when, &SessionTimes::open);
}

QDateTime MarketCalendar::nextBoundary(const QDateTime &when, QTime SessionTimes::*edge) const {
    const QDate first = when.toTimeZone(exchangeZone()).date();
    for (QDate day = first; day <= first.addDays(kSearchDays); day = day.addDays(1)) {
        if (!isTradingDay(day))
            continue;
        for (const SessionTimes &session : kSessions) {
            const QDateTime boundary = at(day, session.*edge);
            if (boundary > when)
                return boundary;
        }
    }
    return QDateTime();
}

QDateTime MarketCalendar::lastClose(const QDateTime &when) const {
    const QDate first = when.toTimeZone(exchangeZone()).date();
    for (QDate day = first; day >= first.addDays(-kSearchDays); day = day.addDays(-1)) {
        if (!isTradingDay(day))
            continue;
        for (auto session = kSessions.crbegin(); session != kSessions.crend(); ++session) {
            const QDateTime close = at(day, session->close);
            if (close <= when)
                return close;
        }
    }
    return QDateTime();
}

QDateTime MarketCalendar::nextRefresh(const QDateTime &passStart,
                                      std::chrono::seconds interval) const {
    constexpr qint64 closingDelay = 60;
    const QDateTime due = passStart.addSecs(interval.count());
    const QDateTime inSession = isOpen(due) ? due : nextOpen(due);
    const QDateTime close = nextBoundary(passStart.addSecs(-closingDelay), &SessionTimes::close);
    const QDateTime closingPass = close.isValid() ? close.addSecs(closingDelay) : QDateTime();
    if (!inSession.isValid())
        return closingPass;
    return closingPass.isValid() ? std::min(inSession, closingPass) : inSession;
}
