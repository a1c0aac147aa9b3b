#pragma once

#include <cstdint>

// One security's holding: how many shares, bought at what average cost per share.
struct Holding {
    int64_t shares = 0;  // 1 to HoldingInput::kMostShares
    int64_t costSen = 0; // hundredths of a yen, so that a cost of 2,450.5 yen is kept exactly

    bool operator==(const Holding &) const = default;
};
