#include "Valuation.h"

#include <QByteArray>

#include "QuoteFormat.h"

namespace {

constexpr int kSenPerYen = 100;

Sen cost(const Holding &holding) {
    return Sen(holding.shares) * holding.costSen;
}

Sen value(const Holding &holding, int64_t price) {
    return Sen(holding.shares) * price * kSenPerYen;
}

// Half away from zero.
Sen rounded(Sen numerator, Sen denominator) {
    const Sen half = denominator / 2;
    return numerator < 0 ? -((-numerator + half) / denominator) : (numerator + half) / denominator;
}

QByteArray digits(Sen number) {
    const bool negative = number < 0;
    Sen magnitude = negative ? -number : number;
    QByteArray text;
    do {
        text.prepend(char('0' + int(magnitude % 10)));
        magnitude /= 10;
    } while (magnitude != 0);
    return negative ? '-' + text : text;
}

QString yen(Sen sen, bool withSign) {
    return QuoteFormat::decimal(digits(rounded(sen, kSenPerYen)), withSign) + u'円';
}

// "+4.1%" of the cost.
QString percent(Sen gain, Sen of) {
    const Sen tenths = rounded(gain * 1000, of);
    const Sen magnitude = tenths < 0 ? -tenths : tenths;
    const QByteArray text = digits(magnitude / 10) + '.' + char('0' + int(magnitude % 10));
    return QuoteFormat::decimal(tenths < 0 ? '-' + text : text, true) + u'%';
}

QString gainText(Sen value, Sen cost) {
    return QStringLiteral("評価損益 %1 (%2)")
        .arg(yen(value - cost, true), percent(value - cost, cost));
}

} // namespace

void Valuation::add(const HeldQuote &held) {
    ++m_held;
    if (!held.usable || held.price <= 0)
        return;
    ++m_valued;
    m_value += value(held.holding, held.price);
    m_cost += cost(held.holding);
    if (held.prevClose <= 0)
        return;
    ++m_dayValued;
    m_dayChange += value(held.holding, held.price) - value(held.holding, held.prevClose);
}

QString Valuation::summary() const {
    if (m_valued == 0)
        return QStringLiteral("評価額 未取得");
    const QString dayChange = m_dayValued == 0 ? QStringLiteral("未取得") : yen(m_dayChange, true);
    QString text = QStringLiteral("評価額 %1 / %2 / 前日比 %3")
                       .arg(yen(m_value, false), gainText(m_value, m_cost), dayChange);
    if (m_dayValued < m_held)
        text += QStringLiteral(" (一部未取得)");
    return text;
}

QString Valuation::lineText(const HeldQuote &held) {
    if (held.price <= 0)
        return QStringLiteral(" / 評価損益 未取得");
    return QStringLiteral(" / ") + gainText(value(held.holding, held.price), cost(held.holding));
}
