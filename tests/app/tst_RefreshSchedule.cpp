#include <chrono>

#include <QtTest>

#include "FetchPolicy.h"
#include "JapanTime.h"
#include "MarketHours.h"
#include "RefreshSchedule.h"
#include "ScratchSettings.h"
#include "UserDefaults.h"

using namespace std::chrono_literals;

class tst_RefreshSchedule : public QObject {
    Q_OBJECT

private slots:
    // The refresh loop's turns from `from` to `until` with an hourly interval, every pause taken
    // in full; the times at which a pass ran, Japan time.
    void passesRun_data() {
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QDateTime>("from");
        QTest::addColumn<QDateTime>("until");
        QTest::addColumn<QStringList>("passes");
        QTest::newRow("a trading day")
            << true << japanTime("2026-12-08T08:00:00") << japanTime("2026-12-08T23:00:00")
            << QStringList{"12-08 08:00", "12-08 09:00", "12-08 10:00",
                           "12-08 11:00", "12-08 11:31", "12-08 12:31",
                           "12-08 13:31", "12-08 14:31", "12-08 15:31"};
        QTest::newRow("switch off")
            << false << japanTime("2026-12-12T08:00:00") << japanTime("2026-12-12T11:30:00")
            << QStringList{"12-12 08:00", "12-12 09:00", "12-12 10:00", "12-12 11:00"};
        QTest::newRow("launched on a Saturday")
            << true << japanTime("2026-12-12T10:00:00") << japanTime("2026-12-14T10:30:00")
            << QStringList{"12-12 10:00", "12-14 09:00", "12-14 10:00"};
        QTest::newRow("over the year end")
            << true << japanTime("2026-12-30T15:00:00") << japanTime("2027-01-04T09:30:00")
            << QStringList{"12-30 15:00", "12-30 15:31", "01-04 09:00"};
        QTest::newRow("a clock set to 1970")
            << true << QDateTime::fromSecsSinceEpoch(0, QTimeZone::utc())
            << japanTime("1970-01-05T10:30:00")
            << QStringList{"01-01 09:00", "01-05 09:00", "01-05 10:00"};
    }
    void passesRun() {
        QFETCH(bool, enabled);
        QFETCH(QDateTime, from);
        QFETCH(QDateTime, until);
        QFETCH(QStringList, passes);
        ScratchSettings defaults;
        MarketHours hours(defaults, MarketCalendar());
        hours.setEnabled(enabled);
        RefreshSchedule schedule(hours);
        QStringList ran;
        for (QDateTime now = from; now <= until;) {
            if (schedule.beginPass(now))
                ran << now.toTimeZone(MarketCalendar::exchangeZone()).toString("MM-dd HH:mm");
            const std::chrono::seconds wait = schedule.waitAfterPass(3600s, 60.0, now);
            QVERIFY(wait >= 1s && (!enabled || wait <= RefreshSchedule::kLongestWait));
            now = now.addSecs(wait.count());
        }
        QCOMPARE(ran, passes);
    }

    // Passes every ten minutes that fail as `outcomes` says ('x' failed, '.' read; all read
    // after it), each failure recorded with the host, the back-off taking its longest share.
    void failedPassRetried_data() {
        QTest::addColumn<QDateTime>("from");
        QTest::addColumn<QString>("outcomes");
        QTest::addColumn<QStringList>("passes");
        QTest::newRow("launched offline on a Saturday")
            << japanTime("2026-12-12T10:00:00") << "xxxx"
            << QStringList{"12-12 10:00", "12-12 10:10", "12-12 10:20",
                           "12-12 10:40", "12-12 11:10", "12-14 09:00"};
        QTest::newRow("the closing pass fails")
            << japanTime("2026-12-11T15:20:00") << ".xx"
            << QStringList{"12-11 15:20", "12-11 15:31", "12-11 15:41", "12-11 15:51",
                           "12-14 09:00"};
    }
    void failedPassRetried() {
        QFETCH(QDateTime, from);
        QFETCH(QString, outcomes);
        QFETCH(QStringList, passes);
        ScratchSettings defaults;
        MarketHours hours(defaults, MarketCalendar());
        hours.setEnabled(true);
        RefreshSchedule schedule(hours);
        FetchPolicy policy([] { return 1.0; });
        policy.setIntervalMinutes(10.0);
        const QUrl host("http://quotes.example/");
        QStringList ran;
        for (QDateTime now = from; now <= japanTime("2026-12-14T09:05:00");) {
            if (schedule.beginPass(now)) {
                const bool failed = outcomes.mid(ran.size(), 1) == u"x";
                ran << now.toTimeZone(MarketCalendar::exchangeZone()).toString("MM-dd HH:mm");
                HttpResponse answer;
                answer.ok = !failed;
                answer.failure = failed ? HttpFailure::Other : HttpFailure::None;
                policy.recordAnswer(host, answer, now);
                if (failed)
                    schedule.passFailed(policy.pausedUntil(host, now));
            }
            now = now.addSecs(schedule.waitAfterPass(600s, 10.0, now).count());
        }
        QCOMPARE(ran, passes);
    }

    // Turned on while the loop runs: the next turn is a pass, and the schedule follows it.
    void turnedOnMidway() {
        ScratchSettings defaults;
        MarketHours hours(defaults, MarketCalendar());
        RefreshSchedule schedule(hours);
        const QDateTime night = japanTime("2026-12-08T20:00:00");
        QVERIFY(schedule.beginPass(night));
        QCOMPARE(schedule.waitAfterPass(600s, 10.0, night), 600s);
        hours.setEnabled(true);
        QVERIFY(schedule.beginPass(night.addSecs(600)));
        QVERIFY(!schedule.beginPass(night.addSecs(900)));
        QCOMPARE(schedule.waitAfterPass(600s, 10.0, night.addSecs(900)),
                 RefreshSchedule::kLongestWait);
        hours.setEnabled(false);
        QVERIFY(schedule.beginPass(night.addSecs(1200)));
    }
};

QTEST_GUILESS_MAIN(tst_RefreshSchedule)
#include "tst_RefreshSchedule.moc"
