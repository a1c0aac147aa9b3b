#include "HtmlText.h"

#include <cstdio>

namespace {

// The site is in Japan, which has no daylight saving time.
constexpr auto tokyoOffset = std::chrono::hours(9);

std::chrono::year_month_day tokyoDay(std::chrono::sys_seconds when) {
    return std::chrono::year_month_day(std::chrono::floor<std::chrono::days>(when + tokyoOffset));
}

std::string twoDigits(unsigned value) {
    char text[4];
    std::snprintf(text, sizeof text, "%02u", value % 100);
    return text;
}

} // namespace

std::string HtmlText::escape(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        case '\'':
            escaped += "&#39;";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

std::string HtmlText::withCommas(std::int64_t value) {
    const auto magnitude = static_cast<std::uint64_t>(value);
    const std::string digits = std::to_string(value < 0 ? 0 - magnitude : magnitude);
    std::string grouped = value < 0 ? "-" : "";
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            grouped += ',';
        grouped += digits[i];
    }
    return grouped;
}

std::string HtmlText::signedWithCommas(std::int64_t value) {
    return (value > 0 ? "+" : "") + withCommas(value);
}

std::string HtmlText::signedPercent(double percent) {
    char text[32];
    std::snprintf(text, sizeof text, "%+.2f%%", percent);
    return text;
}

std::string HtmlText::tokyoDate(std::chrono::sys_seconds when) {
    const auto day = tokyoDay(when);
    return std::to_string(static_cast<int>(day.year())) + "/" +
           twoDigits(static_cast<unsigned>(day.month())) + "/" +
           twoDigits(static_cast<unsigned>(day.day()));
}

std::string HtmlText::tokyoMonthDay(std::chrono::sys_seconds when) {
    const auto day = tokyoDay(when);
    return twoDigits(static_cast<unsigned>(day.month())) + "/" +
           twoDigits(static_cast<unsigned>(day.day()));
}

std::string HtmlText::tokyoClock(std::chrono::sys_seconds when) {
    const std::chrono::hh_mm_ss time((when + tokyoOffset) -
                                     std::chrono::floor<std::chrono::days>(when + tokyoOffset));
    return twoDigits(static_cast<unsigned>(time.hours().count())) + ":" +
           twoDigits(static_cast<unsigned>(time.minutes().count()));
}

std::chrono::sys_seconds HtmlText::previousTokyoWeekday(std::chrono::sys_seconds when) {
    do {
        when -= std::chrono::days(1);
    } while (std::chrono::weekday(std::chrono::floor<std::chrono::days>(when + tokyoOffset))
                 .iso_encoding() > 5);
    return when;
}
