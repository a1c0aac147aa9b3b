#include "QuoteFormat.h"

#include <array>
#include <chrono>
#include <memory>
#include <mutex>
#include <optional>

#include <unicode/dcfmtsym.h>
#include <unicode/decimfmt.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>
#include <unicode/unistr.h>

#include <QByteArray>
#include <QHash>
#include <QLocale>

namespace {

// Finding the host's zone reads the file system, too slow for every menu line; a zone changed
// on the machine shows within this time, a changed TZ variable at once.
constexpr std::chrono::minutes kZoneLifetime{1};

// UTS #35 patterns: digits grouped in threes, the sign as a literal prefix where there is one;
// the tenths patterns keep one decimal place.
enum Pattern { kGrouped, kPlus, kMinus, kTenths, kPlusTenths, kMinusTenths, kPatternCount };
constexpr std::array<const char16_t *, kPatternCount> kPatterns{u",###",   u"+,###",   u"-,###",
                                                                u",##0.0", u"+,##0.0", u"-,##0.0"};

QString fromUnicode(const icu::UnicodeString &text) {
    return QString(reinterpret_cast<const QChar *>(text.getBuffer()), text.length());
}

std::unique_ptr<icu::DecimalFormat> numberFormat(const icu::Locale &locale, Pattern pattern) {
    UErrorCode status = U_ZERO_ERROR;
    auto symbols = std::make_unique<icu::DecimalFormatSymbols>(locale, status);
    auto format = std::make_unique<icu::DecimalFormat>(icu::UnicodeString(kPatterns.at(pattern)),
                                                       symbols.release(), status);
    return U_SUCCESS(status) ? std::move(format) : nullptr;
}

// ICU finds the host's zone through static buffers of its own, both when a first formatter
// makes its default zone and when asked again, so one thread at a time.
std::mutex &zoneLookup() {
    static std::mutex lookingUp;
    return lookingUp;
}

icu::TimeZone *hostZone() {
    const std::scoped_lock lock(zoneLookup());
    return icu::TimeZone::detectHostTimeZone();
}

std::unique_ptr<icu::SimpleDateFormat> timeFormat(const icu::Locale &locale) {
    const std::scoped_lock lock(zoneLookup());
    UErrorCode status = U_ZERO_ERROR;
    auto format =
        std::make_unique<icu::SimpleDateFormat>(icu::UnicodeString(u"HH:mm"), locale, status);
    return U_SUCCESS(status) ? std::move(format) : nullptr;
}

// A minute as the time names it. A local time is taken as it reads, sparing the look-up of its
// zone's offset that every conversion of a local time makes; it reads the same in ICU's view of
// the host's zone. Other times count minutes since the epoch; the lowest bit tells the two apart.
qint64 minuteKey(const QDateTime &when) {
    if (when.timeSpec() == Qt::LocalTime) {
        const qint64 minutes =
            when.date().toJulianDay() * 24 * 60 + when.time().msecsSinceStartOfDay() / (60 * 1000);
        return minutes * 2 + 1;
    }
    const qint64 milliseconds = when.toMSecsSinceEpoch();
    const qint64 minutes = milliseconds / (60 * 1000) - (milliseconds % (60 * 1000) < 0 ? 1 : 0);
    return minutes * 2;
}

// ICU's formatters are not safe to share between threads, so each thread has its own, made for
// the locale in effect and kept until QLocale's default changes.
class Formatters {
public:
    static Formatters &forThisThread() {
        thread_local Formatters formatters;
        return formatters;
    }

    // Null where ICU could make no formatter.
    const icu::DecimalFormat *number(Pattern pattern) {
        followLocale();
        return m_numbers.at(pattern).get();
    }
    // Made once per minute shown: one text serves every time within it.
    QString time(const QDateTime &when) {
        followLocale();
        followZone();
        if (!m_time)
            return QString();
        const qint64 key = minuteKey(when);
        auto known = m_minutes.constFind(key);
        if (known == m_minutes.cend()) {
            icu::UnicodeString out;
            m_time->format(static_cast<UDate>(when.toMSecsSinceEpoch()), out);
            known = m_minutes.insert(key, fromUnicode(out));
        }
        return *known;
    }

private:
    void followLocale() {
        const QLocale locale;
        if (m_locale == locale)
            return;
        const icu::Locale icuLocale(locale.name().toUtf8().constData());
        for (int pattern = 0; pattern < kPatternCount; ++pattern)
            m_numbers.at(pattern) = numberFormat(icuLocale, Pattern(pattern));
        m_time = timeFormat(icuLocale);
        m_minutes.clear();
        m_zoneFoundAt.reset();
        m_locale = locale;
    }

    void followZone() {
        // A null value is an unset variable, an empty one a set but empty variable (UTC).
        const QByteArray variable = qgetenv("TZ");
        const auto now = std::chrono::steady_clock::now();
        const bool current = m_zoneFoundAt && now - *m_zoneFoundAt < kZoneLifetime &&
                             variable == m_zoneVariable &&
                             variable.isNull() == m_zoneVariable.isNull();
        if (current || !m_time)
            return;
        m_time->adoptTimeZone(hostZone());
        m_minutes.clear();
        m_zoneVariable = variable;
        m_zoneFoundAt = now;
    }

    std::optional<QLocale> m_locale;
    std::array<std::unique_ptr<icu::DecimalFormat>, kPatternCount> m_numbers;
    std::unique_ptr<icu::SimpleDateFormat> m_time;
    QHash<qint64, QString> m_minutes; // by minuteKey, for the zone and locale of m_time
    // When m_time was last given the host's zone, and TZ as it was then.
    std::optional<std::chrono::steady_clock::time_point> m_zoneFoundAt;
    QByteArray m_zoneVariable;
};

QString grouped(int64_t value, Pattern pattern) {
    const icu::DecimalFormat *format = Formatters::forThisThread().number(pattern);
    if (!format)
        return QString::number(value);
    icu::UnicodeString out;
    format->format(value, out);
    return fromUnicode(out);
}

// The number's own digits, however many: ICU reads the text as an exact decimal.
QString groupedDecimal(const QByteArray &magnitude, Pattern pattern) {
    const icu::DecimalFormat *format = Formatters::forThisThread().number(pattern);
    UErrorCode status = U_ZERO_ERROR;
    icu::UnicodeString out;
    if (format)
        format->format(icu::StringPiece(magnitude.constData(), int32_t(magnitude.size())), out,
                       nullptr, status);
    return format && U_SUCCESS(status) ? fromUnicode(out) : QString::fromLatin1(magnitude);
}

} // namespace

namespace QuoteFormat {

QString price(int64_t quote) {
    return quote == 0 ? QStringLiteral("-") : grouped(quote, kGrouped);
}

QString change(int64_t quote, int64_t prevClose) {
    const int64_t change = quote - prevClose;
    return change < 0 ? grouped(-change, kMinus) : grouped(change, kPlus);
}

QString volume(int64_t volume) {
    return grouped(volume, kGrouped);
}

QString decimal(const QByteArray &number, bool withSign) {
    const bool negative = number.startsWith('-');
    const QByteArray magnitude = negative ? number.mid(1) : number;
    const int tenths = magnitude.contains('.') ? kTenths - kGrouped : 0;
    const Pattern sign = negative ? kMinus : withSign ? kPlus : kGrouped;
    return groupedDecimal(magnitude, Pattern(sign + tenths));
}

QString time(const QDateTime &when) {
    return when.isValid() ? Formatters::forThisThread().time(when) : QString();
}

} // namespace QuoteFormat
