#include <QtTest>

#include "CodeInputRule.h"

class tst_CodeInputRule : public QObject {
    Q_OBJECT
private slots:
    void afterEdit_data();
    void afterEdit();
    void isCode_data();
    void isCode();
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
    QTest::newRow("letter among four") << "72a3"
                                       << "72a"
                                       << "72a3" << false;
    QTest::newRow("full-width digits") << "７２０３"
                                       << "７２０"
                                       << "７２０３" << false;
    QTest::newRow("Arabic-Indic digits") << "٧٢٠٣"
                                         << ""
                                         << "٧٢٠٣" << false;
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

void tst_CodeInputRule::isCode_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("expected");
    QTest::newRow("code") << "0000" << true;
    QTest::newRow("code 9999") << "9999" << true;
    QTest::newRow("three") << "123" << false;
    QTest::newRow("five") << "12345" << false;
    QTest::newRow("trailing newline") << "123\n" << false;
    QTest::newRow("code and newline") << "1234\n" << false;
    QTest::newRow("full-width") << "１２３４" << false;
    QTest::newRow("superscript") << "¹²³⁴" << false;
}

void tst_CodeInputRule::isCode() {
    QFETCH(QString, text);
    QTEST(CodeInputRule::isCode(text), "expected");
}

QTEST_APPLESS_MAIN(tst_CodeInputRule)
#include "tst_CodeInputRule.moc"
