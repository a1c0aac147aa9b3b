#include <QtTest>

#include "HoldingBook.h"
#include "ScratchSettings.h"
#include "StockManager.h"

namespace {

QByteArray readAll(const QString &file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

// Holdings are kept by code beside the watch list, follow it, and what the program cannot use it
// leaves alone until the user changes a holding.
class tst_HoldingBook : public QObject {
    Q_OBJECT
private slots:
    void followsTheWatchList() {
        ScratchSettings defaults;
        defaults.setValue(UserDefaults::KEY_CODES, {"7203", "6758"});
        StockManager manager(defaults, "http://127.0.0.1:9");
        {
            HoldingBook book(defaults, manager);
            QVERIFY(book.setHolding("6758", Holding{300, 1234567}));
            QVERIFY(book.setHolding("7203", Holding{100, 245050}));
        }
        QCOMPARE(defaults.value(UserDefaults::KEY_HOLDINGS),
                 (QStringList{"7203;shares=100;cost=2450.5", "6758;shares=300;cost=12345.67"}));
        manager.translateStockFromIndex(1, 0);
        HoldingBook book(defaults, manager);
        book.followList(manager.stocks());
        QCOMPARE(book.holding("7203"), (Holding{100, 245050}));
        manager.removeStock("7203");
        book.followList(manager.stocks());
        QCOMPARE(defaults.value(UserDefaults::KEY_HOLDINGS),
                 QStringList{"6758;shares=300;cost=12345.67"});
        manager.addStock("7203");
        QCOMPARE(book.holding("7203"), std::nullopt);
    }

    void unusableEntries_data() {
        QTest::addColumn<QString>("stored"); // the first entry of KEY_HOLDINGS, as in the file
        QTest::newRow("a code not in the list") << "\"9984;shares=1;cost=1\"";
        QTest::newRow("no cost") << "\"7203;shares=100\"";
        QTest::newRow("an unknown field") << "\"7203;shares=100;price=1\"";
        QTest::newRow("too many shares") << "\"7203;shares=1000000001;cost=1\"";
        QTest::newRow("a cost beyond sen") << "\"7203;shares=1;cost=0.001\"";
    }
    void unusableEntries() {
        QFETCH(QString, stored);
        ScratchSettings defaults;
        const QByteArray file = "[General]\nKEY_CODES=7203, 6758\nKEY_HOLDINGS=" + stored.toUtf8() +
                                ", \"6758;shares=5;cost=10\"\n";
        QFile out(defaults.filePath());
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(file);
        out.close();
        StockManager manager(defaults, "http://127.0.0.1:9");
        HoldingBook book(defaults, manager);
        book.followList(manager.stocks());
        QCOMPARE(book.holding("7203"), std::nullopt);
        QCOMPARE(book.holding("6758"), (Holding{5, 1000}));
        QCOMPARE(readAll(defaults.filePath()), file);
        QVERIFY(book.setHolding("7203", Holding{1, 100}));
        QCOMPARE(defaults.value(UserDefaults::KEY_HOLDINGS),
                 (QStringList{"7203;shares=1;cost=1", "6758;shares=5;cost=10"}));
    }
};

QTEST_GUILESS_MAIN(tst_HoldingBook)
#include "tst_HoldingBook.moc"
