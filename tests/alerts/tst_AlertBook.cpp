#include <QtTest>

#include "AlertBook.h"
#include "StockManager.h"
#include "UserDefaults.h"

namespace {

QByteArray readAll(const QString &file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

// Rules are kept by code beside the watch list, and what the program cannot use it leaves alone
// until the user changes an alert.
class tst_AlertBook : public QObject {
    Q_OBJECT
private slots:
    void init() {
        QVERIFY(m_dir.isValid());
        m_file = m_dir.filePath(QStringLiteral("kabu-ticker-%1.conf").arg(++m_round));
    }

    void keptAcrossRuns() {
        UserDefaults defaults(m_file);
        defaults.setValue(UserDefaults::KEY_CODES, {"7203", "6758"});
        StockManager manager(defaults, "http://127.0.0.1:9");
        AlertRules toyota;
        toyota.above = 3000;
        toyota.changePercent = 2.5;
        AlertRules sony;
        sony.below = 2500;
        {
            AlertBook book(defaults, manager);
            QVERIFY(book.setRules("6758", sony));
            QVERIFY(book.setRules("7203", toyota));
        }
        QCOMPARE(defaults.value(UserDefaults::KEY_ALERTS),
                 (QStringList{"7203;above=3000;change=2.5", "6758;below=2500"}));
        manager.translateStockFromIndex(1, 0);
        AlertBook reread(defaults, manager);
        QCOMPARE(reread.rules("7203"), toyota);
        QCOMPARE(reread.rules("6758"), sony);
        QVERIFY(reread.setRules("7203", AlertRules()));
        QCOMPARE(defaults.value(UserDefaults::KEY_ALERTS), QStringList{"6758;below=2500"});
    }

    void unusableEntries_data() {
        QTest::addColumn<QString>("stored");  // the first entry of KEY_ALERTS, as in the file
        QTest::addColumn<bool>("unreadable"); // the whole line, with the good entry after it
        QTest::newRow("a code not in the list") << "\"9984;above=100\"" << false;
        QTest::newRow("no fields") << "\"7203\"" << false;
        QTest::newRow("an unknown field") << "\"7203;over=3000\"" << false;
        QTest::newRow("a negative price") << "\"7203;above=-3\"" << false;
        QTest::newRow("an absurd price") << "\"7203;below=999999999\"" << false;
        QTest::newRow("beyond 100 %") << "\"7203;change=150\"" << false;
        QTest::newRow("a field without a value") << "\"7203;above=\"" << false;
        QTest::newRow("a value of spaces") << "\"7203;above= \"" << false;
        QTest::newRow("not text") << "@ByteArray(\\0\\x1)" << true;
        QTest::newRow("a number") << "12" << false;
    }
    void unusableEntries() {
        QFETCH(QString, stored);
        QFETCH(bool, unreadable);
        const QByteArray file = "[General]\nKEY_CODES=7203, 6758\nKEY_ALERTS=" + stored.toUtf8() +
                                ", \"6758;below=2500\"\n";
        QFile out(m_file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(file);
        out.close();
        UserDefaults defaults(m_file);
        StockManager manager(defaults, "http://127.0.0.1:9");
        AlertBook book(defaults, manager);
        QVERIFY(book.rules("7203").isEmpty());
        QVERIFY(book.rules("9984").isEmpty());
        QCOMPARE(book.rules("6758").isEmpty(), unreadable);
        QCOMPARE(readAll(m_file), file);
        AlertRules rules;
        rules.above = 3100;
        QVERIFY(book.setRules("7203", rules));
        const QStringList written{"7203;above=3100", "6758;below=2500"};
        QCOMPARE(defaults.value(UserDefaults::KEY_ALERTS), written.first(unreadable ? 1 : 2));
    }

private:
    QTemporaryDir m_dir;
    QString m_file;
    int m_round = 0;
};

QTEST_GUILESS_MAIN(tst_AlertBook)
#include "tst_AlertBook.moc"
