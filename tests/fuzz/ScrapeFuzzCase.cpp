#include "ScrapeFuzzCase.h"

#include <cstdint>
#include <limits>

#include <QDateTime>

#include "Stock.h"

namespace {

const QString kCode = QStringLiteral("7203");

// Values no fuzzed page is likely to repeat, so that a change shows.
const QByteArray kGoodPage =
    "<html><head><title>Good Holdings\u30107203\u3011</title></head><body>"
    "<table class=\"stocksTable\"><tr><td>Good</td><td>31,337</td></tr></table>"
    "<div class=\"innerDate\">"
    "<div><dl><dd><strong>30,001</strong></dd></dl></div>"
    "<div><dl><dd><strong>1</strong></dd></dl></div>"
    "<div><dl><dd><strong>2</strong></dd></dl></div>"
    "<div><dl><dd><strong>3</strong></dd></dl></div>"
    "<div><dl><dd><strong>4,242,421</strong></dd></dl></div></div></body></html>";

bool within32Bits(int64_t value) {
    return value >= std::numeric_limits<int32_t>::min() &&
           value <= std::numeric_limits<int32_t>::max();
}

QString displayProblem(const Stock &stock) {
    const QString quote = stock.quoteToFormat();
    if (quote.isEmpty() || (quote == QStringLiteral("-")) != (stock.quote() == 0))
        return QStringLiteral("quote text '%1' for %2").arg(quote).arg(stock.quote());
    const QString change = stock.prevCloseToFormat();
    if (!change.startsWith(u'+') && !change.startsWith(u'-'))
        return QStringLiteral("change text '%1' has no sign").arg(change);
    if (stock.volumeToFormat().isEmpty())
        return QStringLiteral("no volume text");
    if (stock.updatedAtToFormat().isEmpty())
        return QStringLiteral("no update time text after a good update");
    return QString();
}

} // namespace

ScrapeFuzzCase::ScrapeFuzzCase(QByteArrayView input)
    : m_page(input.toByteArray()) {}

QString ScrapeFuzzCase::check() const {
    Stock stock(kCode);
    if (!stock.updateWithPage(kGoodPage))
        return QStringLiteral("the good page did not scrape");
    const int64_t volume = stock.volume();
    const QDateTime updatedAt = stock.updated_at();

    const bool updated = stock.updateWithPage(m_page);
    // The volume and the time are the last two steps: only a full success changes them.
    if (!updated && (stock.volume() != volume || stock.updated_at() != updatedAt))
        return QStringLiteral("a failed update changed the volume or the time");
    if (stock.name().isNull() || !stock.updated_at().isValid())
        return QStringLiteral("name or time lost");
    if (!within32Bits(stock.quote()) || !within32Bits(stock.prev_close()) ||
        !within32Bits(stock.volume()))
        return QStringLiteral("a number beyond 32 bits");
    return displayProblem(stock);
}
