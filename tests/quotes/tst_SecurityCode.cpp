#include <QtTest>

#include "SecurityCode.h"

class tst_SecurityCode : public QObject {
    Q_OBJECT
private slots:
    void fromInput_data();
    void fromInput();
};

// What the user types, and the code it gives; empty when it gives none.
void tst_SecurityCode::fromInput_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("code");
    QTest::newRow("digits") << "7203"
                            << "7203";
    QTest::newRow("letter last") << "130A"
                                 << "130A";
    QTest::newRow("letters second and last") << "8A9A"
                                             << "8A9A";
    QTest::newRow("last letter of the set") << "9Y9Y"
                                            << "9Y9Y";
    QTest::newRow("lower case") << "2a46"
                                << "2A46";
    QTest::newRow("0 first") << "0123"
                             << "";
    QTest::newRow("letter first") << "A123"
                                  << "";
    QTest::newRow("letter third") << "12A4"
                                  << "";
    for (const char *letter : {"B", "E", "I", "O", "Q", "V", "Z"})
        QTest::newRow(letter) << QStringLiteral("1%12").arg(QLatin1String(letter)) << "";
    QTest::newRow("lower case of a left-out letter") << "130b"
                                                     << "";
    QTest::newRow("full-width digits") << "７２０３"
                                       << "";
    QTest::newRow("full-width letter") << "130Ａ"
                                       << "";
    QTest::newRow("superscript digits") << "¹²³⁴"
                                        << "";
    QTest::newRow("three") << "720"
                           << "";
    QTest::newRow("five") << "72031"
                          << "";
    QTest::newRow("code and newline") << "7203\n"
                                      << "";
    QTest::newRow("sharp s, which upper-cases to two") << "130ß"
                                                       << "";
}

void tst_SecurityCode::fromInput() {
    QFETCH(QString, typed);
    const QString text = SecurityCode::fromInput(typed);
    QCOMPARE(text.size(), typed.size());
    QTEST(SecurityCode::isCode(text) ? text : QString(), "code");
}

QTEST_APPLESS_MAIN(tst_SecurityCode)
#include "tst_SecurityCode.moc"
