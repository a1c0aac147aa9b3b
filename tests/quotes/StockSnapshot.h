#pragma once

#include <cstdint>

#include <QDateTime>
#include <QString>

#include "Stock.h"

// The fields an update may change, read at one moment, to tell afterwards what it changed.
struct StockSnapshot {
    explicit StockSnapshot(const Stock &stock)
        : name(stock.name())
        , quote(stock.quote())
        , prevClose(stock.prev_close())
        , volume(stock.volume())
        , updatedAt(stock.updated_at()) {}

    bool operator==(const StockSnapshot &) const = default;

    QString name;
    int64_t quote;
    int64_t prevClose;
    int64_t volume;
    QDateTime updatedAt;
};
