#pragma once

#include <cstdint>

#include <QByteArray>
#include <QDateTime>
#include <QString>

// The display texts of a quote in the user's locale and the host's time zone. Safe from any
// thread: each keeps its own formatters, made again when the locale or the zone changes.
namespace QuoteFormat {

// Grouped in threes; "-" for a price of zero, which no page can have meant.
QString price(int64_t quote);
// The difference from the previous close, always with its sign.
QString change(int64_t quote, int64_t prevClose);
QString volume(int64_t volume);
// An exact decimal of any size written plainly, "-1234567" or "4.1" (one decimal place at most),
// grouped in threes; a plus sign before zero and above when withSign.
QString decimal(const QByteArray &number, bool withSign);
// Hours and minutes in the host's zone; a null QString for an invalid time.
QString time(const QDateTime &when);

} // namespace QuoteFormat
