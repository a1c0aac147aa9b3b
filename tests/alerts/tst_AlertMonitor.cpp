#include <QtTest>

#include "AlertBook.h"
#include "AlertMonitor.h"
#include "Clock.h"
#include "ScratchSettings.h"
#include "StockManager.h"
#include "UserDefaults.h"

namespace {

const QString kBase = QStringLiteral("http://127.0.0.1:9");

QByteArray page(const QString &code, const QString &name, const QString &price) {
    QString html = QStringLiteral("<html><head><title>%1\u3010%2\u3011</title></head><body>"
                                  "<table class=\"stocksTable\"><tr><td>%2</td><td>%3</td></tr>"
                                  "</table><div class=\"innerDate\">")
                       .arg(name, code, price);
    for (const char *figure : {"2,965", "2,970", "3,020", "2,960", "1,200,000"})
        html += QStringLiteral("<div><dl><dd><strong>%1</strong></dd></dl></div>").arg(figure);
    return (html + QStringLiteral("</div></body></html>")).toUtf8();
}

} // namespace

// The watch list's records in, worded alerts out; a security that leaves takes its rules along.
class tst_AlertMonitor : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { Clock::setFixed(QDateTime()); }

    void alertOfARefresh() {
        ScratchSettings defaults;
        defaults.setValue(UserDefaults::KEY_CODES, {"7203", "6758"});
        StockManager manager(defaults, kBase);
        AlertBook book(defaults, manager);
        AlertRules rules;
        rules.above = 3000;
        QVERIFY(book.setRules("7203", rules));
        AlertMonitor monitor(book);
        const auto toyota = manager.stocks().first();
        const QDateTime nine(QDate(2026, 12, 8), QTime(9, 0));
        for (const auto &[minute, price] : {std::pair(0, "2,990"), std::pair(5, "3,010")}) {
            Clock::setFixed(nine.addSecs(minute * 60));
            QVERIFY(toyota->updateWithPage(page("7203", "トヨタ自動車", price)));
            QCOMPARE(monitor.review(manager.stocks()).size(), minute == 0 ? 0 : 1);
        }
        const AlertEvent event = monitor.lastEvent("7203");
        QCOMPARE(event.summary, QStringLiteral("7203 トヨタ自動車 ¥3,010 (+45)"));
        QCOMPARE(event.rule, QStringLiteral("¥3,000 以上"));
        QVERIFY(event.body.contains(event.rule));
        QCOMPARE(event.page, QUrl(kBase + "/stocks/detail/?code=7203"));
        QCOMPARE(event.at, nine.addSecs(300));
        QVERIFY(monitor.review(manager.stocks()).isEmpty()); // the same update, looked at again

        manager.translateStockFromIndex(0, 1);
        monitor.review(manager.stocks());
        QCOMPARE(book.rules("7203"), rules);
        manager.removeStock("7203");
        monitor.review(manager.stocks());
        QVERIFY(book.rules("7203").isEmpty());
        QVERIFY(!monitor.lastEvent("7203").at.isValid());
        QCOMPARE(defaults.value(UserDefaults::KEY_ALERTS), QStringList());
    }
};

QTEST_GUILESS_MAIN(tst_AlertMonitor)
#include "tst_AlertMonitor.moc"
