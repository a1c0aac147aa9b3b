#include <QtTest>

#include "CodeInputRule.h"

class tst_CodeInputRule : public QObject {
    Q_OBJECT
private slots:
    void afterEdit_data();
    void afterEdit();
};

void tst_CodeInputRule::afterEdit_data() {
    QTest::addColumn<QString>("edited");
    QTest::addColumn<QString>("remembered");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("okEnabled");

    QTest::newRow("empty") << ""
                           << ""
                           << "" << false;
    QTest::newRow("three digits") << "720"
                                  << "72"
                                  << "720" << false;
    QTest::newRow("four digits") << "7203"
                                 << "720"
                                 << "7203" << true;
    QTest::newRow("one deleted") << "720"
                                 << "7203"
                                 << "720" << false;
    QTest::newRow("fifth typed") << "72039"
                                 << "7203"
                                 << "7203" << true;
    QTest::newRow("five pasted, nothing remembered") << "12345"
                                                     << ""
                                                     << "" << false;
    QTest::newRow("five pasted, three remembered") << "12345"
                                                   << "123"
                                                   << "123" << false;
    QTest::newRow("long paste of a code") << "7203 トヨタ"
                                          << "6758"
                                          << "6758" << true;
    QTest::newRow("lower-case letter") << "130a"
                                       << "130"
                                       << "130A" << true;
    QTest::newRow("space among four") << "72 3"
                                      << "72 "
                                      << "72 3" << false;
    // Lengths are UTF-16 units: one character outside the BMP counts as two.
    QTest::newRow("surrogate pair makes four units") << "12😀"
                                                     << "12"
                                                     << "12😀" << false;
    QTest::newRow("surrogate pair makes five units") << "123😀"
                                                     << "123"
                                                     << "123" << false;
}

void tst_CodeInputRule::afterEdit() {
    QFETCH(QString, edited);
    QFETCH(QString, remembered);
    const CodeInputRule::Outcome outcome = CodeInputRule::afterEdit(edited, remembered);
    QTEST(outcome.text, "text");
    QTEST(outcome.okEnabled, "okEnabled");
}

QTEST_APPLESS_MAIN(tst_CodeInputRule)
#include "tst_CodeInputRule.moc"
