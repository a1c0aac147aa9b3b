#include "PriceDirection.h"

#include "Stock.h"

namespace {

QString directionWord(PriceDirection direction) {
    switch (direction) {
    case PriceDirection::Up:
        return QStringLiteral("上昇");
    case PriceDirection::Down:
        return QStringLiteral("下落");
    case PriceDirection::Unchanged:
        break;
    }
    return QStringLiteral("変わらず");
}

} // namespace

PriceDirection priceDirection(const Stock &stock) {
    const int64_t quote = stock.quote();
    const int64_t prevClose = stock.prev_close();
    if (quote == prevClose)
        return PriceDirection::Unchanged;
    return quote < prevClose ? PriceDirection::Down : PriceDirection::Up;
}

QString spokenQuote(const Stock &stock) {
    // A security never read shows "-" for its price, which says nothing when spoken.
    if (stock.quote() == 0)
        return stock.code() + QStringLiteral(" 未取得");
    return QStringLiteral("%1 %2円 %3")
        .arg(stock.code(), stock.quoteToFormat(), directionWord(priceDirection(stock)));
}
