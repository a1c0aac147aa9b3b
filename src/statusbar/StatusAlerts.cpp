#include "StatusAlerts.h"

#include <QAction>
#include <QMenu>

#include "QuoteFormat.h"
#include "Stock.h"
#include "StockManager.h"
#include "StockMenuLine.h"

StatusAlerts::StatusAlerts(StockManager &stockManager, UserDefaults &defaults, StatusView *view,
                           QSystemTrayIcon *trayIcon)
    : m_book(defaults, stockManager)
    , m_monitor(m_book)
    , m_presenter(view, trayIcon) {
    // Notes the list as it is at launch, so that a security removed before the first refresh
    // takes its rules along too. Nothing has a value yet, so nothing fires.
    review(stockManager.stocks());
}

void StatusAlerts::review(const QList<std::shared_ptr<Stock>> &stocks) {
    for (const AlertEvent &event : m_monitor.review(stocks))
        m_presenter.present(event);
}

void StatusAlerts::markLines(const QMenu &menu) const {
    for (QAction *line : menu.actions()) {
        const std::shared_ptr<Stock> stock = StockMenuLine::stock(*line);
        if (!stock)
            continue;
        QStringList tips;
        if (!line->toolTip().isEmpty() && line->toolTip() != line->iconText())
            tips.append(line->toolTip());
        if (const QString rules = rulesText(*stock); !rules.isEmpty())
            tips.append(rules);
        const AlertEvent last = m_monitor.lastEvent(stock->code());
        if (last.at.isValid())
            tips.append(QStringLiteral("%1 に「%2」を通知しました")
                            .arg(QuoteFormat::time(last.at), last.rule));
        line->setToolTip(tips.join(u'\n'));
    }
}

QString StatusAlerts::rulesText(const Stock &stock) const {
    const QString rules = m_book.rules(stock.code()).describe();
    return rules.isEmpty() ? QString() : QStringLiteral("アラート: %1").arg(rules);
}
