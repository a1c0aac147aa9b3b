#pragma once

// Told by StockManager after every change of the watch list and after every refresh pass,
// on the thread that did it.
class StockManagerDelegate {
public:
    virtual ~StockManagerDelegate() = default;
    virtual void updatedStocks() = 0;

protected:
    StockManagerDelegate() = default;
    StockManagerDelegate(const StockManagerDelegate &) = default;
    StockManagerDelegate &operator=(const StockManagerDelegate &) = default;
};
