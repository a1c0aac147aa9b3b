#pragma once

#include <cstdint>
#include <optional>

#include <QString>

// Checks a holding as the user types it, or as the settings hold it: 株数, whole shares from 1 to
// 1,000,000,000, and 取得単価, a cost per share in yen above zero with at most two decimal places,
// read exactly into sen. Empty text is no value; anything else wrong is refused with a message
// that says why.
class HoldingInput {
public:
    static constexpr int64_t kMostShares = 1'000'000'000;
    static constexpr int64_t kHighestCostSen = 100'000'000LL * 100; // 100,000,000 yen

    struct Result {
        std::optional<int64_t> value; // none: no value
        QString error;                // empty when the text is accepted
        bool ok() const { return error.isEmpty(); }
    };

    // Full-width digits and group separators are accepted, and a trailing 株.
    static Result shares(const QString &text);
    // In sen. Full-width digits and group separators are accepted, and a leading ¥ or trailing 円.
    static Result costSen(const QString &text);
    // The shortest text that reads back as the same cost, e.g. "2450.5" for 245050 sen.
    static QString costText(int64_t sen);
};
