#include <thread>
#include <vector>

#include <QTest>

#include <time.h>

#include "QuoteFormat.h"

namespace {

void setZone(const QByteArray &zone) {
    if (zone.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", zone);
    tzset();
}

} // namespace

// The cached formatters follow the user's locale and the host's zone as they change, and give
// every thread the same texts. (The texts themselves are tst_Stock's.)
class tst_QuoteFormat : public QObject {
    Q_OBJECT

private slots:
    // One after another in one thread, each row in a zone or locale the row before did not use.
    void timeFollowsTheZone_data() {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QDateTime>("when");
        QTest::addColumn<QString>("text");
        const QDate day(2026, 12, 7);
        const QDateTime utc(day, QTime(0, 5, 59), Qt::UTC);
        QTest::newRow("Tokyo") << QByteArray("Asia/Tokyo") << utc << "09:05";
        QTest::newRow("New York") << QByteArray("America/New_York") << utc << "19:05";
        QTest::newRow("local, as it reads")
            << QByteArray("America/New_York") << QDateTime(day, QTime(9, 5, 59)) << "09:05";
        QTest::newRow("local, the next minute")
            << QByteArray("America/New_York") << QDateTime(day, QTime(9, 6)) << "09:06";
        QTest::newRow("local, another zone")
            << QByteArray("Asia/Tokyo") << QDateTime(day, QTime(9, 5, 30)) << "09:05";
        QTest::newRow("Tokyo again") << QByteArray("Asia/Tokyo") << utc << "09:05";
    }
    void timeFollowsTheZone() {
        QFETCH(QByteArray, zone);
        QFETCH(QDateTime, when);
        QFETCH(QString, text);
        const QByteArray saved = qgetenv("TZ");
        setZone(zone);
        const QString actual = QuoteFormat::time(when);
        setZone(saved);
        QCOMPARE(actual, text);
    }

    void numbersFollowTheLocale() {
        const QLocale saved;
        QStringList texts;
        for (const char *name : {"en_US", "de_DE", "en_US"}) {
            QLocale::setDefault(QLocale(QString::fromLatin1(name)));
            texts << QuoteFormat::volume(1234567) + QuoteFormat::change(1000, 2500);
        }
        QLocale::setDefault(saved);
        QCOMPARE(texts, (QStringList{"1,234,567-1,500", "1.234.567-1.500", "1,234,567-1,500"}));
    }

    void everyThreadGetsTheSameTexts() {
        const QDateTime when(QDate(2026, 12, 7), QTime(9, 5));
        const auto texts = [&when] {
            QStringList list;
            for (int i = 0; i < 200; ++i)
                list << QuoteFormat::price(i * 1001) << QuoteFormat::time(when.addSecs(i * 30));
            return list;
        };
        const QStringList expected = texts();
        std::vector<QStringList> results(4);
        std::vector<std::thread> threads;
        for (QStringList &result : results)
            threads.emplace_back([&result, &texts] { result = texts(); });
        for (std::thread &thread : threads)
            thread.join();
        for (const QStringList &result : results)
            QCOMPARE(result, expected);
        QCOMPARE(expected.at(1), QStringLiteral("09:05"));
    }
};

QTEST_GUILESS_MAIN(tst_QuoteFormat)
#include "tst_QuoteFormat.moc"
