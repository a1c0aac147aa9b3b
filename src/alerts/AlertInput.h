#pragma once

#include <optional>

#include <QString>

// Checks a threshold as the user types it, or as the settings hold it: a price in whole yen up to
// 100,000,000, or a percentage up to 100. Empty text means no rule; anything else wrong is
// refused with a message that says why.
class AlertInput {
public:
    static constexpr double kHighestPrice = 100'000'000.0;
    static constexpr double kHighestPercent = 100.0;

    struct Result {
        std::optional<double> value; // none: no rule
        QString error;               // empty when the text is accepted
        bool ok() const { return error.isEmpty(); }
    };

    // Full-width digits, group separators and a leading ¥ or trailing 円 are accepted.
    static Result price(const QString &text);
    // A trailing % is accepted.
    static Result percent(const QString &text);
};
