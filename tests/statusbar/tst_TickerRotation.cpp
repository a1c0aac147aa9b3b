#include <memory>

#include <QtTest>

#include "ScratchSettings.h"
#include "Stock.h"
#include "StockManager.h"
#include "TickerRotation.h"

class tst_TickerRotation : public QObject {
    Q_OBJECT
private slots:
    // Every case starts as the program does: before the first security.
    void init() { TickerRotation::s_position = -1; }

    // "-" for a tick that found the list empty, "held" for one that did not step.
    void stepsInListOrderFromFirst_data() {
        QTest::addColumn<QStringList>("codes");
        QTest::addColumn<QList<int>>("heldTicks");
        QTest::addColumn<int>("removedAfter"); // ticks before the last three codes go
        QTest::addColumn<QStringList>("shown");
        const QStringList five{"1111", "2222", "3333", "4444", "5555"};
        QTest::newRow("empty") << QStringList() << QList<int>{} << -1 << QStringList{"-", "-"};
        QTest::newRow("one") << QStringList{"1111"} << QList<int>{} << -1
                             << QStringList{"1111", "1111", "1111"};
        QTest::newRow("wraps") << five.mid(0, 3) << QList<int>{} << -1
                               << QStringList{"1111", "2222", "3333", "1111", "2222"};
        QTest::newRow("held keeps its place") << five.mid(0, 3) << QList<int>{0, 2} << -1
                                              << QStringList{"held", "1111", "held", "2222"};
        QTest::newRow("shrunk list restarts at first")
            << five << QList<int>{} << 4 << QStringList{"1111", "2222", "3333", "4444", "1111"};
        QTest::newRow("emptied list, then held")
            << five.mid(2) << QList<int>{2} << 1 << QStringList{"3333", "-", "-"};
    }
    void stepsInListOrderFromFirst() {
        QFETCH(QStringList, codes);
        QFETCH(QList<int>, heldTicks);
        QFETCH(int, removedAfter);
        QFETCH(QStringList, shown);
        ScratchSettings defaults;
        defaults.setValue(UserDefaults::KEY_CODES, codes);
        StockManager manager(defaults, QStringLiteral("http://quotes.test"));
        TickerRotation rotation(manager);
        QStringList seen;
        connect(&rotation, &TickerRotation::ticked, this, [&seen](bool empty) {
            seen << (empty ? QStringLiteral("-") : QStringLiteral("held"));
        });
        connect(&rotation, &TickerRotation::advanced, this,
                [&seen](const std::shared_ptr<Stock> &stock) { seen.last() = stock->code(); });
        for (int i = 0; i < shown.size(); ++i) {
            if (i == removedAfter) {
                for (const QString &code : QStringList{"3333", "4444", "5555"})
                    manager.removeStock(code);
            }
            rotation.setHeld(heldTicks.contains(i));
            rotation.tick();
        }
        QCOMPARE(seen, shown);
    }

    void oneRotationForTheWholeProcess() {
        ScratchSettings defaults;
        defaults.setValue(UserDefaults::KEY_CODES, QStringList{"1111", "2222"});
        StockManager manager(defaults, QStringLiteral("http://quotes.test"));
        TickerRotation(manager).tick();
        TickerRotation second(manager);
        QString shown;
        connect(&second, &TickerRotation::advanced, this,
                [&shown](const std::shared_ptr<Stock> &stock) { shown = stock->code(); });
        second.tick();
        QCOMPARE(shown, QStringLiteral("2222"));
    }
};

QTEST_MAIN(tst_TickerRotation)
#include "tst_TickerRotation.moc"
