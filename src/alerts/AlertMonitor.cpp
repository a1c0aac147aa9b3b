#include "AlertMonitor.h"

#include "AlertBook.h"
#include "QuoteFormat.h"
#include "Stock.h"

AlertMonitor::AlertMonitor(AlertBook &book)
    : m_book(book) {}

QList<AlertEvent> AlertMonitor::review(const QList<std::shared_ptr<Stock>> &stocks) {
    QList<AlertEvent> events;
    QSet<QString> listed;
    for (const std::shared_ptr<Stock> &stock : stocks) {
        listed.insert(stock->code());
        const AlertRules rules = m_book.rules(stock->code());
        const Stock::Quote quote = stock->lastQuote();
        const AlertObservation observation{stock->code(), quote.price, quote.prevClose,
                                           quote.updatedAt};
        for (const AlertFiring &firing : m_evaluator.observe(observation, rules)) {
            events.append(describe(*stock, observation, rules, firing));
            m_lastEvents.insert(stock->code(), events.last());
        }
    }
    forgetRemoved(listed);
    return events;
}

AlertEvent AlertMonitor::lastEvent(const QString &code) const {
    return m_lastEvents.value(code);
}

void AlertMonitor::forgetRemoved(const QSet<QString> &listed) {
    for (const QString &code : std::as_const(m_listed)) {
        if (listed.contains(code))
            continue;
        m_evaluator.forget(code);
        m_lastEvents.remove(code);
        if (!m_book.rules(code).isEmpty())
            m_book.setRules(code, AlertRules());
    }
    m_listed = listed;
}

AlertEvent AlertMonitor::describe(const Stock &stock, const AlertObservation &observation,
                                  const AlertRules &rules, const AlertFiring &firing) {
    const QString name = stock.name();
    const QString security = name.isEmpty() ? stock.code() : stock.code() + u' ' + name;
    const QString rule = AlertText::rule(firing.kind, rules);
    return {
        .code = stock.code(),
        .summary = QStringLiteral("%1 \u00A5%2 (%3)")
                       .arg(security, QuoteFormat::price(observation.price),
                            QuoteFormat::change(observation.price, observation.prevClose)),
        .rule = rule,
        .body = QStringLiteral("アラート「%1」に達しました").arg(rule),
        .page = stock.codeURL(),
        .at = firing.at,
    };
}
