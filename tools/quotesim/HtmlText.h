#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

// Text pieces of the simulated pages: escaping, figures as the site prints them, Tokyo times.
class HtmlText {
public:
    static std::string escape(std::string_view text);
    static std::string withCommas(std::int64_t value);               // 1234567 -> "1,234,567"
    static std::string signedWithCommas(std::int64_t value);         // "+1,234", "-5", "0"
    static std::string signedPercent(double percent);                // "+0.51%"
    static std::string tokyoDate(std::chrono::sys_seconds when);     // "2026/12/07"
    static std::string tokyoMonthDay(std::chrono::sys_seconds when); // "12/07"
    static std::string tokyoClock(std::chrono::sys_seconds when);    // "09:05"
    // The same time on the last weekday before, a stand-in for the previous trading day.
    static std::chrono::sys_seconds previousTokyoWeekday(std::chrono::sys_seconds when);
};
