#include <QtTest>

#include "HoldingInput.h"

// What the sheet and the settings accept as 株数 and 取得単価, and why the rest is refused.
class tst_HoldingInput : public QObject {
    Q_OBJECT
private slots:
    void values_data() {
        QTest::addColumn<bool>("isCost");
        QTest::addColumn<QString>("text");
        QTest::addColumn<qlonglong>("value"); // shares or sen; -1 for none
        QTest::addColumn<QString>("error");
        QTest::newRow("empty") << false << " " << -1LL << "";
        QTest::newRow("full-width shares") << false << "１，０００株" << 1000LL << "";
        QTest::newRow("most shares") << false << "1000000000" << 1000000000LL << "";
        QTest::newRow("too many shares")
            << false << "1000000001" << -1LL << "株数は 1,000,000,000 株までです。";
        QTest::newRow("part of a share")
            << false << "1.5" << -1LL << "株数は整数で指定してください。";
        QTest::newRow("a cost in sen") << true << "¥2,450.05" << 245005LL << "";
        QTest::newRow("a cost in yen") << true << "2450円" << 245000LL << "";
        QTest::newRow("trailing zeros") << true << "12.500" << 1250LL << "";
        QTest::newRow("beyond sen")
            << true << "2450.125" << -1LL << "取得単価は小数第 2 位 (1 銭) までです。";
        QTest::newRow("too high a cost")
            << true << "100000000.01" << -1LL << "取得単価は 100,000,000 円までです。";
        QTest::newRow("too long to read")
            << true << "99999999999999999999" << -1LL << "取得単価は 100,000,000 円までです。";
        QTest::newRow("zero") << true << "0.00" << -1LL << "0 より大きい値を指定してください。";
        QTest::newRow("negative") << false << "−5" << -1LL << "負の値は指定できません。";
        QTest::newRow("not a number") << true << "1e3" << -1LL << "「1e3」は数値ではありません。";
    }
    void values() {
        QFETCH(bool, isCost);
        QFETCH(QString, text);
        QFETCH(qlonglong, value);
        QFETCH(QString, error);
        const HoldingInput::Result result =
            isCost ? HoldingInput::costSen(text) : HoldingInput::shares(text);
        QCOMPARE(result.value.value_or(-1), value);
        QCOMPARE(result.error, error);
    }

    void costTextReadsBack_data() {
        QTest::addColumn<qlonglong>("sen");
        QTest::addColumn<QString>("text");
        QTest::newRow("whole yen") << 245000LL << "2450";
        QTest::newRow("tenths") << 245050LL << "2450.5";
        QTest::newRow("one sen") << 245001LL << "2450.01";
    }
    void costTextReadsBack() {
        QFETCH(qlonglong, sen);
        QFETCH(QString, text);
        QCOMPARE(HoldingInput::costText(sen), text);
        QCOMPARE(HoldingInput::costSen(text).value.value_or(-1), sen);
    }
};

QTEST_GUILESS_MAIN(tst_HoldingInput)
#include "tst_HoldingInput.moc"
