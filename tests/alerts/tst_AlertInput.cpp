#include <QtTest>

#include "AlertInput.h"

// A threshold is a number or nothing; the refusals name what is wrong.
class tst_AlertInput : public QObject {
    Q_OBJECT
private slots:
    void thresholds_data() {
        QTest::addColumn<bool>("isPrice");
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value"); // -1: no rule
        QTest::addColumn<QString>("error");
        const QString notNumber = QStringLiteral("は数値ではありません");
        QTest::newRow("empty: no rule") << true << "  " << -1.0 << "";
        QTest::newRow("price") << true << "3000" << 3000.0 << "";
        QTest::newRow("grouped, with the yen sign") << true << "¥3,000" << 3000.0 << "";
        QTest::newRow("full-width with 円") << true << "３，０００円" << 3000.0 << "";
        QTest::newRow("the highest price") << true << "100,000,000" << 1e8 << "";
        QTest::newRow("above the highest price")
            << true << "100000001" << 0.0 << "100,000,000 円まで";
        QTest::newRow("a fraction of a yen") << true << "3000.5" << 0.0 << "1 円単位";
        QTest::newRow("negative price") << true << "-5" << 0.0 << "負の値";
        QTest::newRow("typographic minus") << true << "\u22125" << 0.0 << "負の値";
        QTest::newRow("zero") << true << "0" << 0.0 << "0 より大きい値";
        QTest::newRow("words") << true << "abc" << 0.0 << notNumber;
        QTest::newRow("not a finite number") << true << "inf" << 0.0 << notNumber;
        QTest::newRow("two numbers") << true << "30 00" << 0.0 << notNumber;
        QTest::newRow("percent") << false << "2.5" << 2.5 << "";
        QTest::newRow("percent with its sign") << false << "３％" << 3.0 << "";
        QTest::newRow("the whole move") << false << "100" << 100.0 << "";
        QTest::newRow("beyond 100 %") << false << "100.01" << 0.0 << "±100 % まで";
        QTest::newRow("negative percent") << false << "-3" << 0.0 << "負の値";
    }
    void thresholds() {
        QFETCH(bool, isPrice);
        QFETCH(QString, text);
        QFETCH(double, value);
        QFETCH(QString, error);
        const AlertInput::Result result =
            isPrice ? AlertInput::price(text) : AlertInput::percent(text);
        QVERIFY2(result.error.contains(error), qPrintable(result.error));
        QCOMPARE(result.ok(), error.isEmpty());
        QCOMPARE(result.value.value_or(-1.0), result.ok() ? value : -1.0);
    }
};

QTEST_GUILESS_MAIN(tst_AlertInput)
#include "tst_AlertInput.moc"
