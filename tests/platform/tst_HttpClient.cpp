#include "HttpClient.h"

#include <algorithm>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <zlib.h>

#include <QElapsedTimer>
#include <QTemporaryFile>
#include <QTest>
#include <QUrlQuery>

#include "LocalHttpServer.h"
#include "RawTcpServer.h"

using namespace std::chrono_literals;

namespace {

using Script = RawTcpServer::Script;
using Connection = RawTcpServer::Connection;

QByteArray gzip(const QByteArray &data) {
    z_stream stream{};
    deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(static_cast<qsizetype>(deflateBound(&stream, data.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef *>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(static_cast<qsizetype>(stream.total_out));
    deflateEnd(&stream);
    return out;
}

int pathNumber(const httplib::Request &request) {
    return std::stoi(request.matches[1]);
}

HttpClient::Options timeouts(std::chrono::seconds stall, std::chrono::seconds total) {
    HttpClient::Options options;
    options.stallTimeout = stall;
    options.totalTimeout = total;
    return options;
}

// Sends `bytes` as the whole answer, then closes the connection in an orderly way.
Script answer(const QByteArray &bytes) {
    return [bytes](Connection &connection) {
        if (connection.readRequest())
            connection.send(bytes);
    };
}

Script silentAfter(const QByteArray &head) {
    return [head](Connection &connection) {
        if (connection.readRequest() && connection.send(head))
            connection.holdUntilStopped();
    };
}

// Sends `chunk` after every `interval`, at most `count` times.
Script trickle(const QByteArray &chunk, std::chrono::milliseconds interval, int count) {
    return [=](Connection &connection) {
        if (!connection.readRequest() ||
            !connection.send("HTTP/1.1 200 OK\r\nContent-Length: 1000000\r\n\r\n"))
            return;
        for (int i = 0; i < count && connection.pause(interval) && connection.send(chunk); ++i) {
        }
    };
}

const QByteArray okHead = "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n";

} // namespace

Q_DECLARE_METATYPE(RawTcpServer::Script)
Q_DECLARE_METATYPE(std::chrono::seconds)

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
    void refusesRedirectToOtherSchemes_data();
    void refusesRedirectToOtherSchemes();
    void refusesRedirectToFile();
    void rejectsUnfetchableUrl_data();
    void rejectsUnfetchableUrl();
    void refusedConnectionFails();
    void capsBodyAfterDecompression_data();
    void capsBodyAfterDecompression();
    void rawResponses_data();
    void rawResponses();
    void givesUpOnSlowServer_data();
    void givesUpOnSlowServer();
    void cancelAbortsPromptly_data();
    void cancelAbortsPromptly();
    void concurrentRequests();

private:
    QUrl url(const QString &path) const { return QUrl(m_http.baseURL() + path); }
    QUrl redirectTo(const QString &target) const;

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
        const QByteArray packed = gzip(QByteArray(pathNumber(request), 'a'));
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
    server.Get("/loop", [](const httplib::Request &, httplib::Response &response) {
        response.set_redirect("/loop");
    });
    server.Get("/to", [](const httplib::Request &request, httplib::Response &response) {
        response.set_redirect(request.get_param_value("url"));
    });
    QVERIFY(m_http.start());
}

QUrl tst_HttpClient::redirectTo(const QString &target) const {
    QUrl address = url(QStringLiteral("/to"));
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("url"), target);
    address.setQuery(query);
    return address;
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
    QTest::newRow("loop") << QStringLiteral("/loop") << false;
}

void tst_HttpClient::boundsRedirects() {
    QFETCH(QString, path);
    QFETCH(bool, ok);
    const HttpResponse response = HttpClient().get(url(path));
    QCOMPARE(response.ok, ok);
    QCOMPARE(response.body, ok ? QByteArray("arrived") : QByteArray());
}

void tst_HttpClient::refusesRedirectToOtherSchemes_data() {
    QTest::addColumn<QString>("scheme");
    QTest::newRow("ftp") << QStringLiteral("ftp");
    QTest::newRow("dict") << QStringLiteral("dict");
    QTest::newRow("gopher") << QStringLiteral("gopher");
}

void tst_HttpClient::refusesRedirectToOtherSchemes() {
    QFETCH(QString, scheme);
    // A listener at the target shows whether libcurl even tried the other protocol.
    RawTcpServer target(answer("220 ready\r\n"));
    QVERIFY(target.start());
    const QString destination = QStringLiteral("%1://127.0.0.1:%2/").arg(scheme).arg(target.port());
    const HttpResponse response = HttpClient().get(redirectTo(destination));
    QVERIFY(!response.ok);
    QVERIFY(response.body.isEmpty());
    QCOMPARE(target.connectionCount(), 0);
}

void tst_HttpClient::refusesRedirectToFile() {
    QTemporaryFile file;
    QVERIFY(file.open());
    file.write("local only");
    QVERIFY(file.flush());
    const HttpResponse response =
        HttpClient().get(redirectTo(QUrl::fromLocalFile(file.fileName()).toString()));
    QVERIFY(!response.ok);
    QVERIFY(response.body.isEmpty());
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
}

void tst_HttpClient::refusedConnectionFails() {
    // A bound socket that never listens keeps its port taken, so the refusal is certain.
    const int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    QVERIFY(socket >= 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    QCOMPARE(::bind(socket, reinterpret_cast<sockaddr *>(&address), length), 0);
    QCOMPARE(::getsockname(socket, reinterpret_cast<sockaddr *>(&address), &length), 0);
    const HttpResponse response =
        HttpClient().get(QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(ntohs(address.sin_port))));
    ::close(socket);
    QVERIFY(!response.ok);
    QCOMPARE(response.status, 0);
    QVERIFY(response.body.isEmpty());
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
    QTest::newRow("gzip expanding far over cap") << QStringLiteral("/gzip/1000000") << false;
}

void tst_HttpClient::capsBodyAfterDecompression() {
    QFETCH(QString, path);
    QFETCH(bool, ok);
    HttpClient::Options options;
    options.maxBodyBytes = 1000;
    const HttpResponse response = HttpClient(options).get(url(path));
    QCOMPARE(response.ok, ok);
    QCOMPARE(response.body.size(), ok ? 1000 : 0);
}

void tst_HttpClient::rawResponses_data() {
    QTest::addColumn<Script>("script");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QByteArray>("body");
    QTest::newRow("complete") << answer(okHead + "Content-Length: 5\r\n\r\nhello") << true
                              << QByteArray("hello");
    QTest::newRow("delimited by close")
        << answer("HTTP/1.0 200 OK\r\n\r\nuntil the end") << true << QByteArray("until the end");
    QTest::newRow("shorter than its length")
        << answer(okHead + "Content-Length: 100\r\n\r\nonly this") << false << QByteArray();
    QTest::newRow("chunked without last chunk")
        << answer(okHead + "Transfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n") << false
        << QByteArray();
    QTest::newRow("closed before answering") << answer({}) << false << QByteArray();
    QTest::newRow("reset before answering") << Script([](Connection &connection) {
        if (connection.readRequest())
            connection.reset();
    }) << false << QByteArray();
    QTest::newRow("reset mid-body") << Script([](Connection &connection) {
        if (connection.readRequest() &&
            connection.send(okHead + "Content-Length: 100000\r\n\r\n" + QByteArray(1000, 'x')) &&
            connection.pause(100ms))
            connection.reset();
    }) << false << QByteArray();
}

void tst_HttpClient::rawResponses() {
    QFETCH(Script, script);
    QFETCH(bool, ok);
    QFETCH(QByteArray, body);
    RawTcpServer server(script);
    QVERIFY(server.start());
    const HttpResponse response = HttpClient(timeouts(5s, 10s)).get(QUrl(server.baseURL()));
    QCOMPARE(response.ok, ok);
    QCOMPARE(response.body, body);
}

void tst_HttpClient::givesUpOnSlowServer_data() {
    QTest::addColumn<Script>("script");
    QTest::addColumn<std::chrono::seconds>("total");
    QTest::addColumn<int>("atLeastMs");
    QTest::newRow("no answer") << silentAfter({}) << 60s << 900;
    QTest::newRow("head then silence")
        << silentAfter(okHead + "Content-Length: 10\r\n\r\n") << 60s << 900;
    QTest::newRow("a byte every two seconds") << trickle("x", 2000ms, 30) << 60s << 900;
    // Fast enough for the stall limit, so only the total limit ends it.
    QTest::newRow("steady trickle past the total")
        << trickle("0123456789", 100ms, 600) << 2s << 1900;
}

void tst_HttpClient::givesUpOnSlowServer() {
    QFETCH(Script, script);
    QFETCH(std::chrono::seconds, total);
    QFETCH(int, atLeastMs);
    RawTcpServer server(script);
    QVERIFY(server.start());
    QElapsedTimer timer;
    timer.start();
    const HttpResponse response = HttpClient(timeouts(1s, total)).get(QUrl(server.baseURL()));
    const qint64 elapsed = timer.elapsed();
    QVERIFY(!response.ok);
    QVERIFY(response.body.isEmpty());
    QVERIFY2(elapsed >= atLeastMs && elapsed < 6000, qPrintable(QString::number(elapsed)));
}

void tst_HttpClient::cancelAbortsPromptly_data() {
    QTest::addColumn<Script>("script");
    QTest::newRow("waiting for the answer") << silentAfter({});
    QTest::newRow("while the body trickles") << trickle("0123456789", 100ms, 600);
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

QTEST_GUILESS_MAIN(tst_HttpClient)
#include "tst_HttpClient.moc"
