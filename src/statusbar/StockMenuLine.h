#pragma once

#include <memory>

#include <QAction>
#include <QMetaType>

class Stock;

// A stocks-menu line carries its security in QAction::data: the menu puts it there, choosing a
// line and the stale marker read it back.
Q_DECLARE_METATYPE(std::shared_ptr<Stock>)

namespace StockMenuLine {

// Null for a line that carries none.
inline std::shared_ptr<Stock> stock(const QAction &line) {
    return line.data().value<std::shared_ptr<Stock>>();
}

inline void setStock(QAction &line, const std::shared_ptr<Stock> &stock) {
    line.setData(QVariant::fromValue(stock));
}

} // namespace StockMenuLine
