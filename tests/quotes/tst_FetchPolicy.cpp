#include <atomic>
#include <chrono>
#include <thread>

#include <QtTest>

#include <time.h>

#include "Clock.h"
#include "FetchPolicy.h"
#include "LocalHttpServer.h"
#include "QuoteSimServer.h"
#include "ScratchSettings.h"
#include "Stock.h"
#include "StockManager.h"
#include "UserDefaults.h"

using namespace std::chrono_literals;

namespace {

const QDateTime kNow(QDate(2026, 12, 8), QTime(1, 0), QTimeZone::utc());
const QUrl kUrl(QStringLiteral("http://127.0.0.1:18765/stocks/detail/?code=7203"));

// The answer of one request as HttpClient hands it over.
HttpResponse answer(long status, const QByteArray &retryAfter = {}) {
    HttpResponse response;
    response.ok = status != 0;
    response.status = status;
    response.failure = status != 0 ? HttpFailure::None : HttpFailure::ConnectionRefused;
    if (!retryAfter.isEmpty())
        response.headers.insert("retry-after", retryAfter);
    return response;
}

QByteArray quotePage(const QString &price) {
    return QStringLiteral("<html><head><title>Toyota\u30107203\u3011</title></head><body>"
                          "<table class=\"stocksTable\"><tr><td>7203</td><td>%1</td></tr></table>"
                          "<div class=\"innerDate\"><div><dl><dd><strong>2,000</strong></dd>"
                          "</dl></div><div><dl><dd><strong>0</strong></dd></dl></div><div><dl>"
                          "<dd><strong>0</strong></dd></dl></div><div><dl><dd><strong>0</strong>"
                          "</dd></dl></div><div><dl><dd><strong>5,000</strong></dd></dl></div>"
                          "</div></body></html>")
        .arg(price)
        .toUtf8();
}

} // namespace

class tst_FetchPolicy : public QObject {
    Q_OBJECT

private slots:
    // Nothing here may lean on the host's zone; New York's spring gap holds wall times that
    // do not exist there.
    void initTestCase() {
        qputenv("TZ", "America/New_York");
        tzset();
    }
    void cleanup() { Clock::setFixed(QDateTime()); }

    void retryAfter_data() {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<int>("seconds"); // -1: not a Retry-After value
        QTest::newRow("seconds") << QByteArray("120") << 120;
        QTest::newRow("zero") << QByteArray("0") << 0;
        QTest::newRow("spaces around") << QByteArray(" 30 ") << 30;
        QTest::newRow("over an hour") << QByteArray("7200") << 3600;
        QTest::newRow("more digits than fit") << QByteArray("99999999999999999999") << 3600;
        QTest::newRow("negative") << QByteArray("-5") << -1;
        QTest::newRow("fraction") << QByteArray("1.5") << -1;
        QTest::newRow("empty") << QByteArray() << -1;
        QTest::newRow("words") << QByteArray("soon") << -1;
        QTest::newRow("IMF date") << QByteArray("Tue, 08 Dec 2026 01:10:00 GMT") << 600;
        QTest::newRow("RFC 850 date") << QByteArray("Tuesday, 08-Dec-26 01:10:00 GMT") << 600;
        QTest::newRow("asctime date") << QByteArray("Tue Dec  8 01:10:00 2026") << 600;
        QTest::newRow("date past the hour") << QByteArray("Tue, 08 Dec 2026 05:00:00 GMT") << 3600;
        QTest::newRow("date gone by") << QByteArray("Mon, 07 Dec 2026 01:00:00 GMT") << 0;
        QTest::newRow("date in New York's spring gap")
            << QByteArray("Sun, 08 Mar 2026 02:30:00 GMT") << 0;
        QTest::newRow("date without zone") << QByteArray("Tue, 08 Dec 2026 01:10:00") << -1;
    }
    void retryAfter() {
        QFETCH(QByteArray, value);
        QFETCH(int, seconds);
        const std::optional<QDateTime> until = FetchPolicy::retryAfter(value, kNow);
        QCOMPARE(until.has_value(), seconds >= 0);
        if (until)
            QCOMPARE(kNow.secsTo(*until), seconds);
    }

    void backoff_data() {
        QTest::addColumn<int>("failures");
        QTest::addColumn<int>("intervalMinutes");
        QTest::addColumn<double>("random");
        QTest::addColumn<int>("seconds");
        QTest::newRow("none") << 0 << 10 << 1.0 << 0;
        QTest::newRow("one failure") << 1 << 10 << 1.0 << 0;
        QTest::newRow("two: up to one interval") << 2 << 10 << 1.0 << 600;
        QTest::newRow("two: jitter") << 2 << 10 << 0.5 << 300;
        QTest::newRow("two: no wait at all") << 2 << 10 << 0.0 << 0;
        QTest::newRow("three: doubled") << 3 << 10 << 1.0 << 1200;
        QTest::newRow("four: held at 30 minutes") << 4 << 10 << 1.0 << 1800;
        QTest::newRow("many") << 64 << 5 << 1.0 << 1800;
        QTest::newRow("interval past 30 minutes") << 2 << 60 << 1.0 << 1800;
        QTest::newRow("random out of range") << 2 << 10 << 7.0 << 600;
    }
    void backoff() {
        QFETCH(int, failures);
        QFETCH(int, intervalMinutes);
        QFETCH(double, random);
        QFETCH(int, seconds);
        QCOMPARE(FetchPolicy::backoff(failures, std::chrono::minutes(intervalMinutes), random),
                 std::chrono::milliseconds(std::chrono::seconds(seconds)));
    }

    // Answers in order, each a second after the one before; the pause after the last.
    void pauseFollowsAnswers_data() {
        QTest::addColumn<QList<long>>("statuses");  // 0: no connection
        QTest::addColumn<QByteArray>("retryAfter"); // sent with the last answer
        QTest::addColumn<int>("pause");
        QTest::newRow("429 with Retry-After") << QList<long>{429} << QByteArray("120") << 120;
        QTest::newRow("503 with a date")
            << QList<long>{503} << QByteArray("Tue, 08 Dec 2026 01:05:00 GMT") << 300;
        QTest::newRow("500 ignores Retry-After") << QList<long>{500} << QByteArray("120") << 0;
        QTest::newRow("429 without it, once") << QList<long>{429} << QByteArray() << 0;
        QTest::newRow("three refusals") << QList<long>{0, 0, 0} << QByteArray() << 1200;
        QTest::newRow("back-off longer than Retry-After")
            << QList<long>{0, 0, 429} << QByteArray("30") << 1200;
        QTest::newRow("a page ends the back-off") << QList<long>{0, 0, 200} << QByteArray() << 0;
        QTest::newRow("404 is an answer") << QList<long>{0, 404, 0} << QByteArray() << 0;
    }
    void pauseFollowsAnswers() {
        QFETCH(QList<long>, statuses);
        QFETCH(QByteArray, retryAfter);
        QFETCH(int, pause);
        FetchPolicy policy([] { return 1.0; });
        policy.setIntervalMinutes(10.0);
        QDateTime now = kNow.addSecs(-statuses.size());
        for (qsizetype i = 0; i < statuses.size(); ++i) {
            now = now.addSecs(1);
            const bool last = i + 1 == statuses.size();
            policy.recordAnswer(kUrl, answer(statuses[i], last ? retryAfter : QByteArray()), now);
        }
        const QDateTime until = policy.pausedUntil(kUrl, kNow);
        QCOMPARE(until.isValid() ? kNow.secsTo(until) : 0, pause);
    }

    void pauseIsPerHostAndEndsWhenTheClockGoesBack() {
        FetchPolicy policy([] { return 1.0; });
        policy.recordAnswer(kUrl, answer(429, "600"), kNow);
        QVERIFY(policy.pausedUntil(kUrl, kNow.addSecs(599)).isValid());
        QVERIFY(!policy.pausedUntil(kUrl, kNow.addSecs(600)).isValid());
        QVERIFY(!policy.pausedUntil(QUrl("http://127.0.0.1:18766/x"), kNow).isValid());
        QVERIFY(policy.pausedUntil(QUrl("http://127.0.0.1:18765/other"), kNow).isValid());
        const QDateTime epoch = QDateTime::fromSecsSinceEpoch(0, QTimeZone::utc());
        QVERIFY(!policy.pausedUntil(kUrl, epoch).isValid());
        HttpResponse cancelled = answer(0);
        cancelled.failure = HttpFailure::Cancelled;
        for (int i = 0; i < 3; ++i)
            policy.recordAnswer(kUrl, cancelled, kNow.addSecs(700));
        QVERIFY(!policy.pausedUntil(kUrl, kNow.addSecs(700)).isValid());
    }

    // Through Stock::update against a server that knows validators and can be made to say 503.
    void conditionalRequestsAndPauses() {
        LocalHttpServer server;
        std::atomic<int> requests = 0;
        std::atomic<int> conditional = 0;
        std::atomic<bool> unavailable = false;
        server.server().Get(
            "/stocks/detail/", [&](const httplib::Request &request, httplib::Response &response) {
                ++requests;
                if (unavailable) {
                    response.status = 503;
                    response.set_header("Retry-After", "60");
                } else if (request.get_header_value("If-None-Match") == "\"v1\"" &&
                           request.get_header_value("If-Modified-Since") ==
                               "Tue, 08 Dec 2026 00:00:00 GMT") {
                    ++conditional;
                    response.status = 304;
                    return;
                }
                response.set_header("ETag", "\"v1\"");
                response.set_header("Last-Modified", "Tue, 08 Dec 2026 00:00:00 GMT");
                response.set_content(quotePage("2,100").toStdString(), "text/html; charset=UTF-8");
            });
        QVERIFY(server.start());
        const HttpClient client;
        FetchPolicy policy;
        Stock stock(QStringLiteral("7203"), server.baseURL());

        Clock::setFixed(kNow);
        QVERIFY(stock.update(client, policy));
        QCOMPARE(conditional.load(), 0);
        Clock::setFixed(kNow.addSecs(600));
        QVERIFY(stock.update(client, policy));
        QCOMPARE(conditional.load(), 1);
        QCOMPARE(stock.updated_at(), kNow.addSecs(600)); // a 304 is a fresh update
        QCOMPARE(stock.quote(), 2100);                   // of the record as it was
        QCOMPARE(stock.volume(), 5000);

        Stock another(QStringLiteral("7203"), server.baseURL()); // nothing to keep: whole page
        QVERIFY(another.update(client, policy));
        QCOMPARE(conditional.load(), 1);

        // A 503 that carries a quote page still updates the record, and pauses the host.
        unavailable = true;
        Clock::setFixed(kNow.addSecs(1200));
        QVERIFY(stock.update(client, policy));
        QCOMPARE(stock.updated_at(), kNow.addSecs(1200));
        const int before = requests;
        Clock::setFixed(kNow.addSecs(1259));
        QVERIFY(!stock.update(client, policy));
        QVERIFY(!another.update(client, policy));
        QCOMPARE(requests.load(), before);
        QCOMPARE(another.lastFailure()->text(),
                 kNow.addSecs(1260).toLocalTime().toString("HH:mm") + " まで取得を控えています");
        Clock::setFixed(kNow.addSecs(1260));
        QVERIFY(stock.update(client, policy));
        QCOMPARE(requests.load(), before + 1);
    }

    // A source with the same address but searches that match nothing on its page fails,
    // though the server answers 304 to any request with conditions.
    void sourceChangeReadsAfresh() {
        LocalHttpServer server;
        server.server().Get(
            "/stocks/detail/", [](const httplib::Request &request, httplib::Response &response) {
                if (request.has_header("If-None-Match")) {
                    response.status = 304;
                    return;
                }
                response.set_header("ETag", "\"v1\"");
                response.set_content(quotePage("2,100").toStdString(), "text/html; charset=UTF-8");
            });
        QVERIFY(server.start());
        const QString json =
            "{\"name\": \"other\", \"address\": \"%1/stocks/detail/?code={code}\", "
            "\"titleQuery\": \"//title\", \"priceQuery\": \"//table[@id='none']/tr/td\", "
            "\"priceIndex\": 1, \"figuresQuery\": \"//dd/strong\", "
            "\"prevCloseIndex\": 0, \"volumeIndex\": 4}";
        const HttpClient client;
        FetchPolicy policy;
        Stock stock(QStringLiteral("7203"), server.baseURL());
        QVERIFY(stock.update(client, policy));
        stock.setSource(std::get<std::shared_ptr<const QuoteSource>>(
            QuoteSource::fromJson(json.arg(server.baseURL()).toUtf8(), "other.json")));
        QVERIFY(!stock.update(client, policy));
    }

    // The simulator answers the first request 429 with Retry-After: 2 and counts any request
    // that comes before those two seconds are up; adds wait like the refresh pass.
    void simulatorRetryAfterIsHonoured() {
        const QuoteSimServer sim({"--retry-after", "2"});
        QVERIFY(sim.isRunning());
        ScratchSettings defaults;
        QVERIFY(defaults.setValue(UserDefaults::KEY_CODES, {"7203", "6758", "9984"}));
        StockManager manager(defaults, sim.baseURL(), 0ms);
        const HttpClient client;
        const QUrl counts(sim.baseURL() + QStringLiteral("/requests"));

        manager.update();
        // The pause runs from the 429, which came before this pass ended, however slow the build.
        const auto answered = std::chrono::steady_clock::now();
        QCOMPARE(client.get(counts).body, QByteArray("requests 1 early 0\n"));
        manager.update();
        manager.addStock(QStringLiteral("7974"));
        QCOMPARE(manager.stocks().size(), 3);
        QCOMPARE(client.get(counts).body, QByteArray("requests 1 early 0\n"));

        std::this_thread::sleep_until(answered + 2100ms);
        manager.update();
        manager.addStock(QStringLiteral("7974"));
        QCOMPARE(client.get(counts).body, QByteArray("requests 5 early 0\n"));
        QCOMPARE(manager.stocks().size(), 4);
        for (const auto &stock : manager.stocks())
            QVERIFY2(stock->updated_at().isValid(), qPrintable(stock->code()));
    }
};

QTEST_GUILESS_MAIN(tst_FetchPolicy)
#include "tst_FetchPolicy.moc"
