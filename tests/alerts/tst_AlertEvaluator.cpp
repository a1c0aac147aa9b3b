#include <QtTest>

#include "AlertEvaluator.h"
#include "Clock.h"

namespace {

const QDateTime kOpen(QDate(2026, 12, 8), QTime(9, 0));
const QRegularExpression kStep(QStringLiteral("^([0-9]+)([-+^v=]*)$"));

AlertRules rulesOf(qint64 above, qint64 below, double change) {
    AlertRules rules;
    if (above > 0)
        rules.above = above;
    if (below > 0)
        rules.below = below;
    if (change > 0)
        rules.changePercent = change;
    return rules;
}

QChar markOf(AlertKind kind) {
    switch (kind) {
    case AlertKind::Above:
        return u'^';
    case AlertKind::Below:
        return u'v';
    case AlertKind::Rise:
        return u'+';
    case AlertKind::Fall:
        return u'-';
    }
    return u'?';
}

} // namespace

// Each step is a price, five minutes after the one before, followed by the marks of the alerts it
// must fire (^ above, v below, + rise, - fall); "=" marks a look at a record that was not updated
// since the step before (a failed or skipped fetch), "0" a record with no price.
class tst_AlertEvaluator : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { Clock::setFixed(QDateTime()); }

    void crossings_data() {
        QTest::addColumn<qint64>("above");
        QTest::addColumn<qint64>("below");
        QTest::addColumn<double>("change");
        QTest::addColumn<QString>("steps");
        // Above 3,000: re-armed below 2,985 (0.5 %).
        QTest::newRow("crossing up fires once") << 3000LL << 0LL << 0.0 << "2990 3010^ 3020 3005";
        QTest::newRow("the line itself counts") << 3000LL << 0LL << 0.0 << "2999 3000^";
        QTest::newRow("first value across: no alert")
            << 3000LL << 0LL << 0.0 << "3050 3060 2990 3001";
        QTest::newRow("first value across, then a real turn")
            << 3000LL << 0LL << 0.0 << "3050 2984 3001^";
        QTest::newRow("hovering inside the margin")
            << 3000LL << 0LL << 0.0 << "2990 3001^ 2999 3002 2986 3000 2985 3003";
        QTest::newRow("back by more than the margin re-arms")
            << 3000LL << 0LL << 0.0 << "2990 3001^ 2984 3002^ 2900 3100^";
        QTest::newRow("a stale look fires nothing") << 3000LL << 0LL << 0.0 << "2990 3010= 3010^";
        QTest::newRow("no price fires nothing") << 3000LL << 0LL << 0.0 << "2990 0 3010^";
        // Below 2,500: re-armed above 2,512.5.
        QTest::newRow("crossing down") << 0LL << 2500LL << 0.0 << "2600 2500v 2510 2513 2499v";
        QTest::newRow("both lines") << 3000LL << 2500LL << 0.0 << "2700 3000^ 2400v 2700 3100^";
        // Previous close 1,000: ±3 % is 1,030 and 970, re-armed inside ±2.5 %.
        QTest::newRow("rise") << 0LL << 0LL << 3.0 << "1000 1030+ 1029 1040 1024 1031+";
        QTest::newRow("fall") << 0LL << 0LL << 3.0 << "1000 970- 980 971 976 960-";
        QTest::newRow("a swing from one side to the other")
            << 0LL << 0LL << 3.0 << "1000 1040+ 960- 1040+";
        // ±0.4 %: the margin is half of it, 0.2 points.
        QTest::newRow("a small change line")
            << 0LL << 0LL << 0.4 << "1000 1004+ 1003 1002 1004 1001 1004+";
        QTest::newRow("no rules") << 0LL << 0LL << 0.0 << "1000 5000 1 1000";
    }
    void crossings() {
        QFETCH(qint64, above);
        QFETCH(qint64, below);
        QFETCH(double, change);
        QFETCH(QString, steps);
        AlertEvaluator evaluator;
        const AlertRules rules = rulesOf(above, below, change);
        QDateTime updated;
        int minute = 0;
        for (const QString &step : steps.split(u' ')) {
            const QRegularExpressionMatch parts = kStep.match(step);
            QVERIFY(parts.hasMatch());
            minute += 5;
            Clock::setFixed(kOpen.addSecs(minute * 60));
            if (parts.captured(2) != u'=')
                updated = Clock::currentDateTime();
            QString fired;
            const AlertObservation look{"7203", parts.captured(1).toLongLong(), 1000, updated};
            for (const AlertFiring &firing : evaluator.observe(look, rules)) {
                fired += markOf(firing.kind);
                QCOMPARE(firing.at, Clock::currentDateTime());
            }
            QVERIFY2(fired == parts.captured(2).remove(u'='), qPrintable(step + " fired " + fired));
        }
    }

    // A rule set or changed while a value is known takes its state from that value: the next
    // update across the new line fires, a value already across it does not.
    void changedRules_data() {
        QTest::addColumn<qint64>("before");
        QTest::addColumn<qint64>("after");
        QTest::addColumn<bool>("fires");
        QTest::newRow("set while below, crossed next") << 0LL << 3000LL << true;
        QTest::newRow("set while already above") << 0LL << 2900LL << false;
        QTest::newRow("moved over a spent line") << 2800LL << 3000LL << true;
        QTest::newRow("unchanged and spent") << 2800LL << 2800LL << false;
    }
    void changedRules() {
        QFETCH(qint64, before);
        QFETCH(qint64, after);
        QFETCH(bool, fires);
        AlertEvaluator evaluator;
        const auto look = [&](qint64 price, int minute, qint64 line) {
            return evaluator.observe({"7203", price, 2900, kOpen.addSecs(minute * 60)},
                                     rulesOf(line, 0, 0.0));
        };
        look(2700, 5, before);
        QVERIFY(look(2950, 10, before).size() == (before == 2800 ? 1 : 0));
        QCOMPARE(look(3010, 15, after).isEmpty(), !fires);
    }

    void forgottenSecurityStartsOver() {
        AlertEvaluator evaluator;
        const AlertRules rules = rulesOf(3000, 0, 0.0);
        evaluator.observe({"7203", 2990, 2900, kOpen}, rules);
        evaluator.forget("7203");
        QVERIFY(evaluator.observe({"7203", 3010, 2900, kOpen.addSecs(300)}, rules).isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_AlertEvaluator)
#include "tst_AlertEvaluator.moc"
