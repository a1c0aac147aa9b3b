#include "HttpClient.h"

#include <algorithm>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include <QElapsedTimer>
#include <QTest>

#include "Gzip.h"
#include "LocalHttpServer.h"
#include "RawTcpServer.h"

using namespace std::chrono_literals;

namespace {

using Script = RawTcpServer::Script;

int pathNumber(const httplib::Request &request) {
    return std::stoi(request.matches[1]);
}

HttpClient::Options timeouts(std::chrono::seconds stall, std::chrono::seconds total) {
    HttpClient::Options options;
    options.stallTimeout = stall;
    options.totalTimeout = total;
    return options;
}

// Fast enough for any stall limit, for a minute.
Script steadyTrickle() {
    return RawTcpServer::trickling("HTTP/1.1 200 OK\r\nContent-Length: 1000000\r\n\r\n",
                                   "0123456789", 100ms, 600);
}

const QByteArray okHead = "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n";

} // namespace

Q_DECLARE_METATYPE(RawTcpServer::Script)

class tst_HttpClient : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void handsOverBodyWhateverStatus_data();
    void handsOverBodyWhateverStatus();
    void sendsOnlyUserAgentAndEncodingOfItsOwn();
    void decompressesGzip();
    void followsRedirect_data();
    void followsRedirect();
    void boundsRedirects_data();
    void boundsRedirects();
    void rejectsUnfetchableUrl_data();
    void rejectsUnfetchableUrl();
    void capsBodyAfterDecompression_data();
    void capsBodyAfterDecompression();
    void rawResponses_data();
    void rawResponses();
    void failedTransferKeepsItsAnswersHeaders();
    void givesUpAtTotalTimeout();
    void cancelAbortsPromptly_data();
    void cancelAbortsPromptly();
    void concurrentRequests();
    void passesHeadersBothWays();

private:
    QUrl url(const QString &path) const { return QUrl(m_http.baseURL() + path); }

    LocalHttpServer m_http;
    std::mutex m_headersMutex;
    httplib::Headers m_lastHeaders;
};

void tst_HttpClient::initTestCase() {
    HttpClient::globalInit();
    HttpClient::globalInit();

    auto &server = m_http.server();
    server.Get(R"(/status/(\d+))",
               [](const httplib::Request &request, httplib::Response &response) {
                   response.status = pathNumber(request);
                   response.set_content("body of " + std::to_string(response.status), "text/plain");
               });
    server.Get("/headers", [this](const httplib::Request &request, httplib::Response &response) {
        std::lock_guard lock(m_headersMutex);
        m_lastHeaders = request.headers;
        response.set_header("ETag", "\"v1\"");
        response.set_content("seen", "text/plain");
    });
    // octet-stream keeps httplib from compressing these bodies on its own.
    server.Get(R"(/bytes/(\d+))", [](const httplib::Request &request, httplib::Response &response) {
        response.set_content(std::string(pathNumber(request), 'x'), "application/octet-stream");
    });
    server.Get(R"(/chunked/(\d+))",
               [](const httplib::Request &request, httplib::Response &response) {
                   const auto total = static_cast<size_t>(pathNumber(request));
                   response.set_chunked_content_provider(
                       "application/octet-stream", [total](size_t offset, httplib::DataSink &sink) {
                           const std::string chunk(std::min<size_t>(100, total - offset), 'x');
                           sink.write(chunk.data(), chunk.size());
                           if (offset + chunk.size() == total)
                               sink.done();
                           return true;
                       });
               });
    server.Get(R"(/gzip/(\d+))", [](const httplib::Request &request, httplib::Response &response) {
        if (request.get_header_value("Accept-Encoding").find("gzip") == std::string::npos) {
            response.status = 406;
            return;
        }
        const QByteArray packed = gzipped(QByteArray(pathNumber(request), 'a'));
        response.set_header("Content-Encoding", "gzip");
        response.set_content(packed.toStdString(), "application/octet-stream");
    });
    server.Get(R"(/hop/(\d+))", [](const httplib::Request &request, httplib::Response &response) {
        const int left = pathNumber(request);
        if (left == 0)
            response.set_content("arrived", "text/plain");
        else
            response.set_redirect("/hop/" + std::to_string(left - 1));
    });
    server.Get(R"(/redirect/(\d+))",
               [](const httplib::Request &request, httplib::Response &response) {
                   response.set_redirect("/status/200", pathNumber(request));
               });
    QVERIFY(m_http.start());
}

void tst_HttpClient::handsOverBodyWhateverStatus_data() {
    QTest::addColumn<int>("status");
    for (const int status : {200, 203, 404, 500, 503})
        QTest::addRow("%d", status) << status;
}

void tst_HttpClient::handsOverBodyWhateverStatus() {
    QFETCH(int, status);
    HttpClient::Options options;
    options.cancelled = [] { return false; };
    const HttpResponse response =
        HttpClient(options).get(url(QStringLiteral("/status/%1").arg(status)));
    QVERIFY2(response.ok, qPrintable(response.error));
    QCOMPARE(response.status, status);
    QCOMPARE(response.body, QByteArray("body of ") + QByteArray::number(status));
}

void tst_HttpClient::sendsOnlyUserAgentAndEncodingOfItsOwn() {
    QVERIFY(HttpClient().get(url(QStringLiteral("/headers"))).ok);
    std::lock_guard lock(m_headersMutex);
    QByteArrayList names;
    for (const auto &[name, value] : m_lastHeaders)
        names << QByteArray::fromStdString(name).toLower();
    // httplib files both ends' addresses among the headers.
    for (const char *pseudo : {"remote_addr", "remote_port", "local_addr", "local_port"})
        names.removeAll(pseudo);
    std::sort(names.begin(), names.end());
    QCOMPARE(names, QByteArrayList({"accept", "accept-encoding", "host", "user-agent"}));
    const auto agent = m_lastHeaders.find("User-Agent");
    QCOMPARE(QByteArray::fromStdString(agent->second), QByteArray("kabu-ticker/" KABU_VERSION));
    QCOMPARE(HttpClient::userAgent(), QByteArray("kabu-ticker/" KABU_VERSION));
}

void tst_HttpClient::decompressesGzip() {
    const HttpResponse response = HttpClient().get(url(QStringLiteral("/gzip/5000")));
    QVERIFY2(response.ok, qPrintable(response.error));
    QCOMPARE(response.status, 200);
    QCOMPARE(response.body, QByteArray(5000, 'a'));
}

void tst_HttpClient::followsRedirect_data() {
    QTest::addColumn<int>("status");
    for (const int status : {301, 302, 303, 307, 308})
        QTest::addRow("%d", status) << status;
}

void tst_HttpClient::followsRedirect() {
    QFETCH(int, status);
    const HttpResponse response = HttpClient().get(url(QStringLiteral("/redirect/%1").arg(status)));
    QVERIFY2(response.ok, qPrintable(response.error));
    QCOMPARE(response.status, 200);
    QCOMPARE(response.body, QByteArray("body of 200"));
}

void tst_HttpClient::boundsRedirects_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("ok");
    QTest::newRow("ten hops") << QStringLiteral("/hop/10") << true;
    QTest::newRow("eleven hops") << QStringLiteral("/hop/11") << false;
}

void tst_HttpClient::boundsRedirects() {
    QFETCH(QString, path);
    QFETCH(bool, ok);
    const HttpResponse response = HttpClient().get(url(path));
    QCOMPARE(response.ok, ok);
    QCOMPARE(response.body, ok ? QByteArray("arrived") : QByteArray());
    QCOMPARE(response.failure, ok ? HttpFailure::None : HttpFailure::TooManyRedirects);
}

void tst_HttpClient::rejectsUnfetchableUrl_data() {
    QTest::addColumn<QUrl>("address");
    QTest::newRow("empty") << QUrl();
    QTest::newRow("no scheme") << QUrl(QStringLiteral("127.0.0.1/status/200"));
    QTest::newRow("no host") << QUrl(QStringLiteral("http:///status/200"));
    QTest::newRow("file") << QUrl(QStringLiteral("file:///etc/hostname"));
    QTest::newRow("ftp") << QUrl(QStringLiteral("ftp://127.0.0.1/"));
    QTest::newRow("mailto") << QUrl(QStringLiteral("mailto:someone@127.0.0.1"));
}

void tst_HttpClient::rejectsUnfetchableUrl() {
    QFETCH(QUrl, address);
    const HttpResponse response = HttpClient().get(address);
    QVERIFY(!response.ok);
    QCOMPARE(response.status, 0);
    QVERIFY(response.body.isEmpty());
    QVERIFY(!response.error.isEmpty());
    QCOMPARE(response.failure, HttpFailure::NotHttp);
}

void tst_HttpClient::capsBodyAfterDecompression_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("ok");
    QTest::newRow("declared length at cap") << QStringLiteral("/bytes/1000") << true;
    QTest::newRow("declared length over cap") << QStringLiteral("/bytes/1001") << false;
    QTest::newRow("chunked at cap") << QStringLiteral("/chunked/1000") << true;
    QTest::newRow("chunked over cap") << QStringLiteral("/chunked/1001") << false;
    QTest::newRow("gzip expanding to cap") << QStringLiteral("/gzip/1000") << true;
    QTest::newRow("gzip expanding over cap") << QStringLiteral("/gzip/1001") << false;
}

void tst_HttpClient::capsBodyAfterDecompression() {
    QFETCH(QString, path);
    QFETCH(bool, ok);
    HttpClient::Options options;
    options.maxBodyBytes = 1000;
    const HttpResponse response = HttpClient(options).get(url(path));
    QCOMPARE(response.ok, ok);
    QCOMPARE(response.body.size(), ok ? 1000 : 0);
    QCOMPARE(response.failure, ok ? HttpFailure::None : HttpFailure::TooLarge);
}

// What a broken or hostile server does to an update is tested at the Stock level.
void tst_HttpClient::rawResponses_data() {
    QTest::addColumn<Script>("script");
    QTest::addColumn<QByteArray>("body");
    QTest::newRow("complete") << RawTcpServer::answering(okHead + "Content-Length: 5\r\n\r\nhello")
                              << QByteArray("hello");
    QTest::newRow("delimited by close")
        << RawTcpServer::answering("HTTP/1.0 200 OK\r\n\r\nuntil the end")
        << QByteArray("until the end");
}

void tst_HttpClient::rawResponses() {
    QFETCH(Script, script);
    QFETCH(QByteArray, body);
    RawTcpServer server(script);
    QVERIFY(server.start());
    const HttpResponse response = HttpClient(timeouts(5s, 10s)).get(QUrl(server.baseURL()));
    QVERIFY2(response.ok, qPrintable(response.error));
    QCOMPARE(response.body, body);
}

// A 429 whose body never arrives whole still says when to come back.
void tst_HttpClient::failedTransferKeepsItsAnswersHeaders() {
    RawTcpServer server(RawTcpServer::answering("HTTP/1.1 429 Too Many Requests\r\nRetry-After: "
                                                "120\r\nContent-Length: 500\r\n\r\nslow"));
    QVERIFY(server.start());
    const HttpResponse response = HttpClient(timeouts(5s, 10s)).get(QUrl(server.baseURL()));
    QVERIFY(!response.ok);
    QCOMPARE(response.headers.value("retry-after"), QByteArray("120"));
}

// Fast enough for the stall limit, so only the total limit ends it.
void tst_HttpClient::givesUpAtTotalTimeout() {
    RawTcpServer server(steadyTrickle());
    QVERIFY(server.start());
    QElapsedTimer timer;
    timer.start();
    const HttpResponse response = HttpClient(timeouts(1s, 2s)).get(QUrl(server.baseURL()));
    const qint64 elapsed = timer.elapsed();
    QVERIFY(!response.ok);
    QVERIFY(response.body.isEmpty());
    QCOMPARE(response.failure, HttpFailure::TimedOut);
    QVERIFY2(elapsed >= 1900 && elapsed < 6000, qPrintable(QString::number(elapsed)));
}

void tst_HttpClient::cancelAbortsPromptly_data() {
    QTest::addColumn<Script>("script");
    QTest::newRow("waiting for the answer") << RawTcpServer::silentAfter({});
    QTest::newRow("while the body trickles") << steadyTrickle();
}

void tst_HttpClient::cancelAbortsPromptly() {
    QFETCH(Script, script);
    RawTcpServer server(script);
    QVERIFY(server.start());
    QElapsedTimer timer;
    timer.start();
    HttpClient::Options options = timeouts(30s, 60s);
    options.cancelled = [&timer] { return timer.elapsed() > 300; };
    const HttpResponse response = HttpClient(options).get(QUrl(server.baseURL()));
    const qint64 elapsed = timer.elapsed();
    QVERIFY(!response.ok);
    QVERIFY(response.body.isEmpty());
    QCOMPARE(response.failure, HttpFailure::Cancelled);
    // Quitting waits for this: the check is polled every tenth of a second.
    QVERIFY2(elapsed < 800, qPrintable(QString::number(elapsed)));
}

void tst_HttpClient::concurrentRequests() {
    constexpr int threadCount = 4;
    constexpr int requestsEach = 5;
    std::vector<int> successes(threadCount, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < threadCount; ++t) {
        threads.emplace_back([this, t, &successes] {
            const QUrl address = url(QStringLiteral("/redirect/302"));
            for (int i = 0; i < requestsEach; ++i) {
                const HttpResponse response = HttpClient().get(address);
                successes[t] += response.ok && response.body == "body of 200";
            }
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    QCOMPARE(successes, std::vector<int>(threadCount, requestsEach));
}

// Conditional requests need the caller's fields out and the last response's fields back, also
// behind a redirect.
void tst_HttpClient::passesHeadersBothWays() {
    const HttpResponse direct =
        HttpClient().get(url(QStringLiteral("/headers")), {{"If-None-Match", "\"v0\""}});
    QVERIFY2(direct.ok, qPrintable(direct.error));
    QCOMPARE(direct.headers.value("etag"), QByteArray("\"v1\""));
    {
        std::lock_guard lock(m_headersMutex);
        const auto sent = m_lastHeaders.find("If-None-Match");
        QVERIFY(sent != m_lastHeaders.end());
        QCOMPARE(QByteArray::fromStdString(sent->second), QByteArray("\"v0\""));
    }
    const HttpResponse redirected = HttpClient().get(url(QStringLiteral("/redirect/302")));
    QVERIFY2(redirected.ok, qPrintable(redirected.error));
    QVERIFY(!redirected.headers.contains("location"));
}

QTEST_GUILESS_MAIN(tst_HttpClient)
#include "tst_HttpClient.moc"
