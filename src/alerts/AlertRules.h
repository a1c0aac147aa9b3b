#pragma once

#include <cstdint>
#include <optional>

#include <QString>

// The alerts one security has: price at or above a line, at or below a line, and a change
// against the previous close at or beyond ±a percentage. A threshold that is not set is no rule.
struct AlertRules {
    std::optional<int64_t> above; // yen
    std::optional<int64_t> below; // yen
    std::optional<double> changePercent;

    bool isEmpty() const { return !above && !below && !changePercent; }
    bool operator==(const AlertRules &) const = default;

    // The rules as the menus name them, e.g. "¥3,000 以上 / 前日比 ±3 %"; empty when none.
    QString describe() const;
};

// One way an alert fires; the change rule fires either way, and each side is watched alone.
enum class AlertKind { Above, Below, Rise, Fall };

namespace AlertText {
// "¥3,000" with the thousands grouped, as the ticker shows prices.
QString yen(int64_t price);
// "3" or "2.5": the shortest text that reads back as the same number.
QString number(double value);
// What fired, e.g. "¥3,000 以上" or "前日比 +3 % 以上".
QString rule(AlertKind kind, const AlertRules &rules);
} // namespace AlertText
