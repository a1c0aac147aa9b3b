#include <QtTest>

#include "HoldingInput.h"
#include "Valuation.h"

namespace {

// "SHARES@COST:PRICE/PREV_CLOSE", a trailing "!" for a stale price; holdings apart by spaces.
QList<HeldQuote> readHoldings(const QString &text) {
    QList<HeldQuote> holdings;
    static const QRegularExpression form(QStringLiteral("^(\\d+)@([\\d.]+):(\\d+)/(\\d+)(!?)$"));
    for (const QString &one : text.split(u' ')) {
        const QRegularExpressionMatch parts = form.match(one);
        holdings.append({.holding = {parts.captured(1).toLongLong(),
                                     HoldingInput::costSen(parts.captured(2)).value.value_or(0)},
                         .price = parts.captured(3).toLongLong(),
                         .prevClose = parts.captured(4).toLongLong(),
                         .usable = parts.captured(5).isEmpty()});
    }
    return holdings;
}

} // namespace

// Worth, profit and day change are summed exactly and rounded only in the texts.
class tst_Valuation : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan)); }

    void texts_data() {
        QTest::addColumn<QString>("holdings");
        QTest::addColumn<QString>("line"); // of the first holding
        QTest::addColumn<QString>("summary");
        QTest::newRow("a gain")
            << "100@2400:2523/2500"
            << " / 評価損益 +12,300円 (+5.1%)"
            << "評価額 252,300円 / 評価損益 +12,300円 (+5.1%) / 前日比 +2,300円";
        QTest::newRow("a loss")
            << "200@3000:2850/2900"
            << " / 評価損益 -30,000円 (-5.0%)"
            << "評価額 570,000円 / 評価損益 -30,000円 (-5.0%) / 前日比 -10,000円";
        QTest::newRow("zero") << "100@1000:1000/1000"
                              << " / 評価損益 +0円 (+0.0%)"
                              << "評価額 100,000円 / 評価損益 +0円 (+0.0%) / 前日比 +0円";
        // 300 yen against 300.75: a loss of 0.75 yen shows as one.
        QTest::newRow("a fractional cost") << "3@100.25:100/100"
                                           << " / 評価損益 -1円 (-0.2%)"
                                           << "評価額 300円 / 評価損益 -1円 (-0.2%) / 前日比 +0円";
        QTest::newRow("two fractional costs summed before rounding")
            << "1@100.5:100/100 1@100.5:100/100"
            << " / 評価損益 -1円 (-0.5%)"
            << "評価額 200円 / 評価損益 -1円 (-0.5%) / 前日比 +0円";
        QTest::newRow("the largest holding")
            << "1000000000@99999.99:100000/99999"
            << " / 評価損益 +10,000,000円 (+0.0%)"
            << "評価額 100,000,000,000,000円 / 評価損益 +10,000,000円 (+0.0%) / "
               "前日比 +1,000,000,000円";
        QTest::newRow("sums beyond 64 bits")
            << "1000000000@100000000:100000000/1 1000000000@100000000:100000000/1"
            << " / 評価損益 +0円 (+0.0%)"
            << "評価額 200,000,000,000,000,000円 / 評価損益 +0円 (+0.0%) / "
               "前日比 +199,999,998,000,000,000円";
        QTest::newRow("a stale price left out")
            << "100@2400:2523/2500 100@1000:1100/1000!"
            << " / 評価損益 +12,300円 (+5.1%)"
            << "評価額 252,300円 / 評価損益 +12,300円 (+5.1%) / 前日比 +2,300円 (一部未取得)";
        QTest::newRow("a missing previous close")
            << "100@2400:2523/0"
            << " / 評価損益 +12,300円 (+5.1%)"
            << "評価額 252,300円 / 評価損益 +12,300円 (+5.1%) / 前日比 未取得 (一部未取得)";
        QTest::newRow("no price yet") << "100@2400:0/0"
                                      << " / 評価損益 未取得"
                                      << "評価額 未取得";
    }
    void texts() {
        QFETCH(QString, holdings);
        QFETCH(QString, line);
        QFETCH(QString, summary);
        const QList<HeldQuote> held = readHoldings(holdings);
        Valuation valuation;
        for (const HeldQuote &one : held)
            valuation.add(one);
        QCOMPARE(Valuation::lineText(held.first()), line);
        QCOMPARE(valuation.summary(), summary);
    }
};

QTEST_GUILESS_MAIN(tst_Valuation)
#include "tst_Valuation.moc"
