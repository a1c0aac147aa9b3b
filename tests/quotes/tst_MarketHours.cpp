#include <QtTest>

#include "JapanTime.h"
#include "MarketHours.h"
#include "ScratchSettings.h"
#include "UserDefaults.h"

class tst_MarketHours : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void offUnlessTurnedOnAndKept() {
        ScratchSettings defaults;
        QVERIFY(!MarketHours(defaults).isEnabled());
        QVERIFY(MarketHours(defaults).setEnabled(true));
        QVERIFY(MarketHours(defaults).isEnabled());
        QVERIFY(defaults.value(UserDefaults::KEY_MARKET_HOURS_ONLY));
    }

    void notesAndCloses_data() {
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QString>("note");
        QTest::addColumn<QDateTime>("closedSince");
        const QDateTime friday = japanTime("2026-12-11T15:30:00");
        QTest::newRow("weekend and a Monday the user closed")
            << true << japanTime("2026-12-12T10:00:00") << "次の取引開始: 12月15日(火) 9:00"
            << friday;
        QTest::newRow("lunch") << true << japanTime("2026-12-08T12:00:00")
                               << "次の取引開始: 12月8日(火) 12:30"
                               << japanTime("2026-12-08T11:30:00");
        QTest::newRow("year end, asked in UTC")
            << true << QDateTime(QDate(2026, 12, 31), QTime(3, 0), QTimeZone::utc())
            << "次の取引開始: 1月4日(月) 9:00" << japanTime("2026-12-30T15:30:00");
        QTest::newRow("trading") << true << japanTime("2026-12-08T10:00:00") << QString()
                                 << QDateTime();
        QTest::newRow("switch off")
            << false << japanTime("2026-12-12T10:00:00") << QString() << QDateTime();
    }
    void notesAndCloses() {
        QFETCH(bool, enabled);
        QFETCH(QDateTime, now);
        QFETCH(QString, note);
        QFETCH(QDateTime, closedSince);
        ScratchSettings defaults;
        QFile days(defaults.besideSettings(QStringLiteral("market-days.txt")));
        QVERIFY(days.open(QIODevice::WriteOnly));
        days.write("2026-12-14 closed\n");
        days.close();
        MarketHours hours(defaults);
        hours.setEnabled(enabled);
        QCOMPARE(hours.resumeNote(now), note);
        QCOMPARE(hours.closedSince(now), closedSince);
    }
};

QTEST_GUILESS_MAIN(tst_MarketHours)
#include "tst_MarketHours.moc"
