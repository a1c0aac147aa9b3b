#pragma once

#include <cstdint>

#include <QString>

#include "Holding.h"

// Sen (hundredths of a yen) in 128 bits: no count of holdings at the highest price overflows it.
__extension__ typedef __int128 Sen;

// A holding with the quote it is valued at.
struct HeldQuote {
    Holding holding;
    int64_t price = 0;     // yen; 0 while none has been read
    int64_t prevClose = 0; // yen; 0 while none has been read
    bool usable = true;    // false for a stale price, which the totals leave out
};

// What holdings are worth, exactly: 評価額 at the price, 評価損益 against the cost, and 前日比,
// the change since the previous close. Amounts are rounded to yen, and percentages to tenths,
// half away from zero, only in the texts, which the menu's number formats write.
class Valuation {
public:
    void add(const HeldQuote &held);

    bool isGain() const { return m_value >= m_cost; }
    // "評価額 1,234,500円 / 評価損益 +12,300円 (+1.0%) / 前日比 +3,400円", followed by
    // " (一部未取得)" when a holding without a usable price or previous close is left out.
    QString summary() const;
    // " / 評価損益 +12,300円 (+4.1%)" for a security's line, at whatever price it shows.
    static QString lineText(const HeldQuote &held);

private:
    Sen m_value = 0;
    Sen m_cost = 0;
    Sen m_dayChange = 0;
    int m_held = 0;
    int m_valued = 0;
    int m_dayValued = 0;
};
