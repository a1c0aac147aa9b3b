#include <chrono>
#include <ctime>

#include <QtTest>

#include "JapanTime.h"
#include "LogCapture.h"
#include "MarketCalendar.h"

using namespace std::chrono_literals;

namespace {

QList<QDate> dates(const QStringList &texts) {
    QList<QDate> days;
    for (const QString &text : texts)
        days.append(QDate::fromString(text, Qt::ISODate));
    return days;
}

} // namespace

class tst_MarketCalendar : public QObject {
    Q_OBJECT

private slots:
    // Nothing of the calculation may lean on the host's zone.
    void initTestCase() {
        qputenv("TZ", "America/New_York");
        tzset();
    }

    // The weekdays the exchange does not trade, as it announced them for 2025 and 2026 and as
    // the national holiday law gives them for 2027.
    void closedWeekdays_data() {
        QTest::addColumn<int>("year");
        QTest::addColumn<QStringList>("closed");
        QTest::newRow("2025") << 2025
                              << QStringList{"2025-01-01", "2025-01-02", "2025-01-03", "2025-01-13",
                                             "2025-02-11", "2025-02-24", "2025-03-20", "2025-04-29",
                                             "2025-05-05", "2025-05-06", "2025-07-21", "2025-08-11",
                                             "2025-09-15", "2025-09-23", "2025-10-13", "2025-11-03",
                                             "2025-11-24", "2025-12-31"};
        QTest::newRow("2026") << 2026
                              << QStringList{"2026-01-01", "2026-01-02", "2026-01-12", "2026-02-11",
                                             "2026-02-23", "2026-03-20", "2026-04-29", "2026-05-04",
                                             "2026-05-05", "2026-05-06", "2026-07-20", "2026-08-11",
                                             "2026-09-21", "2026-09-22", "2026-09-23", "2026-10-12",
                                             "2026-11-03", "2026-11-23", "2026-12-31"};
        QTest::newRow("2027") << 2027
                              << QStringList{"2027-01-01", "2027-01-11", "2027-02-11", "2027-02-23",
                                             "2027-03-22", "2027-04-29", "2027-05-03", "2027-05-04",
                                             "2027-05-05", "2027-07-19", "2027-08-11", "2027-09-20",
                                             "2027-09-23", "2027-10-11", "2027-11-03", "2027-11-23",
                                             "2027-12-31"};
    }
    void closedWeekdays() {
        QFETCH(int, year);
        QFETCH(QStringList, closed);
        const MarketCalendar calendar;
        QList<QDate> found;
        for (QDate day(year, 1, 1); day.year() == year; day = day.addDays(1)) {
            if (day.dayOfWeek() < Qt::Saturday && !calendar.isTradingDay(day))
                found.append(day);
        }
        QCOMPARE(found, dates(closed));
    }

    // Beyond the years above, and the days the law gave past years; substitute and in-between
    // days are in their lists already.
    void holidayRules_data() {
        QTest::addColumn<QString>("day");
        QTest::addColumn<bool>("holiday");
        QTest::newRow("vernal equinox 2035") << "2035-03-21" << true;
        QTest::newRow("day before it") << "2035-03-20" << false;
        QTest::newRow("autumnal equinox 2032") << "2032-09-22" << true;
        QTest::newRow("past the equinox table") << "2051-03-21" << false;
        QTest::newRow("Emperor's birthday") << "2028-02-23" << true;
        QTest::newRow("Christmas") << "2026-12-25" << false;
        QTest::newRow("23 Feb before 2020") << "2019-02-22" << false;
        QTest::newRow("23 Dec up to 2018") << "2017-12-23" << true;
        QTest::newRow("23 Dec from 2019") << "2019-12-23" << false;
        QTest::newRow("11 Aug before 2016") << "2015-08-11" << false;
        QTest::newRow("accession eve, between two holidays") << "2019-04-30" << true;
        QTest::newRow("accession day") << "2019-05-01" << true;
        QTest::newRow("after accession, between two holidays") << "2019-05-02" << true;
        QTest::newRow("enthronement ceremony") << "2019-10-22" << true;
        QTest::newRow("海の日 2020") << "2020-07-23" << true;
        QTest::newRow("スポーツの日 2020") << "2020-07-24" << true;
        QTest::newRow("山の日 2020") << "2020-08-10" << true;
        QTest::newRow("third Monday of July 2020") << "2020-07-20" << false;
        QTest::newRow("second Monday of October 2020") << "2020-10-12" << false;
        QTest::newRow("海の日 2021") << "2021-07-22" << true;
        QTest::newRow("スポーツの日 2021") << "2021-07-23" << true;
        QTest::newRow("substitute for 山の日 2021") << "2021-08-09" << true;
        QTest::newRow("11 Aug 2021") << "2021-08-11" << false;
        QTest::newRow("海の日 before Mondays") << "2002-07-20" << true;
    }
    void holidayRules() {
        QFETCH(QString, day);
        QFETCH(bool, holiday);
        QCOMPARE(MarketCalendar::isNationalHoliday(QDate::fromString(day, Qt::ISODate)), holiday);
    }

    // Times in Japan; the last column is given in UTC to show the zone is the exchange's.
    void sessions_data() {
        QTest::addColumn<QDateTime>("when");
        QTest::addColumn<bool>("open");
        QTest::addColumn<QDateTime>("nextOpen");
        QTest::addColumn<QDateTime>("lastClose");
        const QDateTime tue = japanTime("2026-12-08T00:00:00");
        auto on = [](const QDateTime &day, int h, int m) {
            return QDateTime(day.date(), QTime(h, m), MarketCalendar::exchangeZone());
        };
        QTest::newRow("before the bell")
            << on(tue, 8, 59) << false << on(tue, 9, 0) << japanTime("2026-12-07T15:30:00");
        QTest::newRow("at the bell")
            << on(tue, 9, 0) << true << on(tue, 12, 30) << japanTime("2026-12-07T15:30:00");
        QTest::newRow("at the morning close")
            << on(tue, 11, 30) << false << on(tue, 12, 30) << on(tue, 11, 30);
        QTest::newRow("lunch") << on(tue, 12, 0) << false << on(tue, 12, 30) << on(tue, 11, 30);
        QTest::newRow("last minute")
            << on(tue, 15, 29) << true << japanTime("2026-12-09T09:00:00") << on(tue, 11, 30);
        QTest::newRow("at the close")
            << on(tue, 15, 30) << false << japanTime("2026-12-09T09:00:00") << on(tue, 15, 30);
        QTest::newRow("UTC morning is Tokyo's afternoon")
            << QDateTime(QDate(2026, 12, 8), QTime(4, 0), QTimeZone::utc()) << true
            << japanTime("2026-12-09T09:00:00") << on(tue, 11, 30);
        QTest::newRow("weekend") << japanTime("2026-12-12T10:00:00") << false
                                 << japanTime("2026-12-14T09:00:00")
                                 << japanTime("2026-12-11T15:30:00");
        QTest::newRow("year end") << japanTime("2026-12-31T10:00:00") << false
                                  << japanTime("2027-01-04T09:00:00")
                                  << japanTime("2026-12-30T15:30:00");
        QTest::newRow("1970") << QDateTime::fromSecsSinceEpoch(0, QTimeZone::utc()) << false
                              << japanTime("1970-01-05T09:00:00")
                              << japanTime("1969-12-30T15:30:00");
    }
    void sessions() {
        QFETCH(QDateTime, when);
        QFETCH(bool, open);
        QFETCH(QDateTime, nextOpen);
        QFETCH(QDateTime, lastClose);
        const MarketCalendar calendar;
        QCOMPARE(calendar.isOpen(when), open);
        QCOMPARE(calendar.nextOpen(when), nextOpen);
        QCOMPARE(calendar.lastClose(when), lastClose);
    }

    void nextRefresh_data() {
        QTest::addColumn<QDateTime>("passStart");
        QTest::addColumn<int>("minutes");
        QTest::addColumn<QDateTime>("next");
        QTest::newRow("within a session")
            << japanTime("2026-12-08T10:00:00") << 10 << japanTime("2026-12-08T10:10:00");
        QTest::newRow("closing pass of the morning")
            << japanTime("2026-12-08T11:25:00") << 10 << japanTime("2026-12-08T11:31:00");
        QTest::newRow("after the closing pass")
            << japanTime("2026-12-08T11:31:00") << 10 << japanTime("2026-12-08T12:30:00");
        QTest::newRow("long interval keeps the closing pass")
            << japanTime("2026-12-08T10:50:00") << 60 << japanTime("2026-12-08T11:31:00");
        QTest::newRow("started between close and closing pass")
            << japanTime("2026-12-08T15:30:30") << 10 << japanTime("2026-12-08T15:31:00");
        QTest::newRow("Friday's closing pass")
            << japanTime("2026-12-11T15:31:00") << 10 << japanTime("2026-12-14T09:00:00");
        QTest::newRow("launch on a Saturday night")
            << japanTime("2026-12-12T20:00:00") << 10 << japanTime("2026-12-14T09:00:00");
        QTest::newRow("over the year end")
            << japanTime("2026-12-30T15:31:00") << 10 << japanTime("2027-01-04T09:00:00");
    }
    void nextRefresh() {
        QFETCH(QDateTime, passStart);
        QFETCH(int, minutes);
        QFETCH(QDateTime, next);
        QCOMPARE(MarketCalendar().nextRefresh(passStart, std::chrono::minutes(minutes)), next);
    }

    void neverOpenGivesNoTime() {
        MarketCalendar::DayOverrides closed;
        for (QDate day(2026, 12, 1); day < QDate(2028, 1, 1); day = day.addDays(1))
            closed.insert(day, false);
        const MarketCalendar calendar(closed);
        const QDateTime when = japanTime("2026-12-08T10:00:00");
        QVERIFY(!calendar.nextOpen(when).isValid());
        QVERIFY(!calendar.nextRefresh(when, 10min).isValid());
    }

    // Each text declares 2026-12-30 closed and 2027-01-02 open.
    void userFile_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QStringList>("logged");
        QTest::newRow("comments, blank lines and bad days")
            << QByteArray("# announced closures\n"
                          "2026-12-30 closed\n"
                          "\n"
                          "2027-01-02 open  # a Saturday session\n"
                          "2026-02-30 closed\n"
                          "tomorrow closed\n")
            << QStringList{"market-days.txt: line 5 ignored: 2026-02-30 closed",
                           "market-days.txt: line 6 ignored: tomorrow closed"};
        QTest::newRow("byte order mark") << QByteArray("\xEF\xBB\xBF"
                                                       "2026-12-30 closed\n2027-01-02 open\n")
                                         << QStringList();
        QTest::newRow("line too long") << QByteArray(3 * MarketCalendar::kMaxLineBytes, 'x') +
                                              "\n2026-12-30 closed\n2027-01-02 open\n"
                                       << QStringList{"market-days.txt: line 1 ignored: too long"};
    }

    void userFile() {
        QFETCH(QByteArray, text);
        const QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("market-days.txt"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text);
        file.close();
        const LogCapture log;
        const MarketCalendar calendar = MarketCalendar::fromFile(path);
        QVERIFY(!calendar.isTradingDay(QDate(2026, 12, 30)));
        QVERIFY(calendar.isTradingDay(QDate(2027, 1, 2)));
        QVERIFY(calendar.isTradingDay(QDate(2026, 12, 29)));
        QTEST(log.texts(), "logged");
    }

    void absentUserFile() {
        const QTemporaryDir dir;
        const LogCapture log;
        QVERIFY(
            !MarketCalendar::fromFile(dir.filePath("absent.txt")).isTradingDay(QDate(2027, 1, 2)));
        QVERIFY(log.texts().isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_MarketCalendar)
#include "tst_MarketCalendar.moc"
