#include "HoldingBook.h"

#include <QStringList>

#include "HoldingInput.h"
#include "Stock.h"
#include "StockManager.h"
#include "UserDefaults.h"

namespace {

const QString kShares = QStringLiteral("shares=");
const QString kCost = QStringLiteral("cost=");

QSet<QString> codesOf(const QList<std::shared_ptr<Stock>> &stocks) {
    QSet<QString> codes;
    for (const auto &stock : stocks)
        codes.insert(stock->code());
    return codes;
}

// The value of a "key=value" field; none when the field is another.
std::optional<QString> fieldValue(const QString &field, const QString &key) {
    return field.startsWith(key) ? std::optional(field.mid(key.size())) : std::nullopt;
}

} // namespace

HoldingBook::HoldingBook(UserDefaults &defaults, const StockManager &stockManager)
    : m_defaults(defaults)
    , m_stockManager(stockManager)
    , m_listed(codesOf(stockManager.stocks())) {
    for (const QString &text : m_defaults.value(UserDefaults::KEY_HOLDINGS)) {
        const auto parsed = parseEntry(text);
        if (parsed && m_listed.contains(parsed->first) && !m_holdings.contains(parsed->first))
            m_holdings.insert(parsed->first, parsed->second);
    }
}

std::optional<Holding> HoldingBook::holding(const QString &code) const {
    const auto found = m_holdings.constFind(code);
    return found == m_holdings.cend() ? std::nullopt : std::optional(*found);
}

bool HoldingBook::setHolding(const QString &code, const std::optional<Holding> &holding) {
    if (holding)
        m_holdings.insert(code, *holding);
    else
        m_holdings.remove(code);
    return save();
}

void HoldingBook::followList(const QList<std::shared_ptr<Stock>> &stocks) {
    const QSet<QString> listed = codesOf(stocks);
    bool removed = false;
    for (const QString &code : std::as_const(m_listed)) {
        if (!listed.contains(code))
            removed = m_holdings.remove(code) > 0 || removed;
    }
    m_listed = listed;
    if (removed)
        save();
}

bool HoldingBook::save() {
    QStringList entries;
    for (const auto &stock : m_stockManager.stocks()) {
        const auto found = m_holdings.constFind(stock->code());
        if (found != m_holdings.cend())
            entries.append(entry(stock->code(), *found));
    }
    return m_defaults.setValue(UserDefaults::KEY_HOLDINGS, entries);
}

QString HoldingBook::entry(const QString &code, const Holding &holding) {
    return QStringLiteral("%1;%2%3;%4%5")
        .arg(code, kShares, QString::number(holding.shares), kCost,
             HoldingInput::costText(holding.costSen));
}

std::optional<std::pair<QString, Holding>> HoldingBook::parseEntry(const QString &entry) {
    const QStringList fields = entry.split(u';');
    if (fields.size() != 3 || fields.first().isEmpty())
        return std::nullopt;
    const auto sharesText = fieldValue(fields.at(1), kShares);
    const auto costText = fieldValue(fields.at(2), kCost);
    if (!sharesText || !costText)
        return std::nullopt;
    const HoldingInput::Result shares = HoldingInput::shares(*sharesText);
    const HoldingInput::Result cost = HoldingInput::costSen(*costText);
    if (!shares.value || !cost.value)
        return std::nullopt;
    return std::pair(fields.first(), Holding{*shares.value, *cost.value});
}
