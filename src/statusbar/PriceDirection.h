#pragma once

#include <QString>

class Stock;

// Which way a security's price stands against the previous close, as the strip colours it and
// as screen readers hear it.
enum class PriceDirection { Up, Unchanged, Down };

PriceDirection priceDirection(const Stock &stock);

// What a screen reader says for a security on the strip, e.g. "7203 2,345円 上昇".
QString spokenQuote(const Stock &stock);
