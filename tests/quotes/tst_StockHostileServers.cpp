// Stock::update against servers that misbehave on purpose. After a broken exchange the update
// answers false within a bound, logs only that there was nothing to parse, and leaves the quote
// of the previous good update untouched: it never hands over the page. Huge pages that arrive
// whole follow the ordinary rules.
#include <chrono>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryFile>
#include <QTest>

#include "Gzip.h"
#include "HttpClient.h"
#include "LogCapture.h"
#include "RawTcpServer.h"
#include "Stock.h"
#include "StockSnapshot.h"

using namespace std::chrono_literals;

namespace {

using Script = RawTcpServer::Script;
using Connection = RawTcpServer::Connection;

// The program's own cap on a body, after decompression.
const qsizetype kBodyCap = HttpClient::Options().maxBodyBytes;
// A safety bound only: the client gives up after a second without progress.
constexpr qint64 kBoundMs = 20000;

QByteArray quotePage(const QByteArray &title, const QByteArray &firstCell, const QByteArray &price,
                     const QByteArray &prevClose, const QByteArray &volume) {
    QByteArray figures;
    for (const QByteArray &figure :
         {prevClose, QByteArray("1"), QByteArray("2"), QByteArray("3"), volume})
        figures += "<div><dl><dd><strong>" + figure + "</strong></dd></dl></div>";
    return "<html><head><meta charset=\"utf-8\"><title>" + title +
           "</title></head><body><table class=\"stocksTable\"><tr><td>" + firstCell + "</td><td>" +
           price + "</td></tr></table><div class=\"innerDate\">" + figures + "</div></body></html>";
}

const QByteArray kLenticularCode = "\u30101234\u3011";
// What the record holds before each hostile exchange.
const QByteArray kOldPage = quotePage("Old Name" + kLenticularCode, "Old", "900", "800", "5");
// What the hostile servers send where they send a page: taking it would change every field.
const QByteArray kNewPage =
    quotePage("New Name" + kLenticularCode, "New", "1,500", "1,450", "3,000,000");

QByteArray head(const QByteArray &fields) {
    return "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\n" + fields + "\r\n";
}

QByteArray lengthField(qsizetype length) {
    return "Content-Length: " + QByteArray::number(length) + "\r\n";
}

QByteArray redirectTo(const QByteArray &location) {
    return "HTTP/1.1 302 Found\r\nLocation: " + location +
           "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
}

// Sends `bytes`, waits for them to arrive, then resets the connection.
Script resetAfter(const QByteArray &bytes) {
    return [bytes](Connection &connection) {
        if (connection.readRequest() && connection.send(bytes) && connection.pause(100ms))
            connection.reset();
    };
}

Script answeringLate(const QByteArray &bytes, std::chrono::milliseconds delay) {
    return [=](Connection &connection) {
        if (connection.readRequest() && connection.pause(delay))
            connection.send(bytes);
    };
}

// The start, then `rounds` of filler for as long as the client takes them; then the body ends
// properly, so that only the cap can make the exchange fail.
Script padded(const QByteArray &start, const QByteArray &filler, qsizetype rounds,
              const QByteArray &end) {
    return [=](Connection &connection) {
        if (!connection.readRequest() || !connection.send(start))
            return;
        for (qsizetype i = 0; i < rounds; ++i) {
            if (!connection.send(filler))
                return;
        }
        connection.send(end);
    };
}

QByteArray chunk(const QByteArray &data) {
    return QByteArray::number(data.size(), 16) + "\r\n" + data + "\r\n";
}

QByteArray noise(qsizetype size) {
    QRandomGenerator random(42);
    QByteArray bytes(size, '\0');
    for (char &byte : bytes)
        byte = static_cast<char>(random.bounded(256));
    return bytes;
}

} // namespace

Q_DECLARE_METATYPE(RawTcpServer::Script)

class tst_StockHostileServers : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void stalledServers_data();
    void stalledServers();
    void brokenResponses_data();
    void brokenResponses();
    void oversizedBodies_data();
    void oversizedBodies();
    void refusedRedirects_data();
    void refusedRedirects();
    void refusedConnection();
    void oversizedPages_data();
    void oversizedPages();

private:
    void serverFails(const Script &script, qint64 atLeastMs);
    void updateFails(const QString &baseURL, qint64 atLeastMs);

    HttpClient m_client{[] {
        HttpClient::Options options;
        options.stallTimeout = 1s;
        options.totalTimeout = 60s;
        return options;
    }()};
    // Answers anyone who reaches it with the new page; nothing ever should.
    RawTcpServer m_elsewhere{[](Connection &connection) { connection.send(kNewPage); }};
    QTemporaryFile m_localPage;
};

void tst_StockHostileServers::initTestCase() {
    HttpClient::globalInit();
    QVERIFY(m_elsewhere.start());
    QVERIFY(m_localPage.open());
    QCOMPARE(m_localPage.write(kNewPage), kNewPage.size());
    QVERIFY(m_localPage.flush());
    // Only a refused exchange, never the page, can make the updates below fail.
    Stock probe(QStringLiteral("1234"));
    QVERIFY(probe.updateWithPage(kNewPage));
}

void tst_StockHostileServers::serverFails(const Script &script, qint64 atLeastMs) {
    RawTcpServer server(script);
    QVERIFY(server.start());
    updateFails(server.baseURL(), atLeastMs);
}

void tst_StockHostileServers::updateFails(const QString &baseURL, qint64 atLeastMs) {
    Stock stock(QStringLiteral("1234"), baseURL);
    QVERIFY(stock.updateWithPage(kOldPage));
    const StockSnapshot before(stock);
    LogCapture log;
    QElapsedTimer timer;
    timer.start();
    const bool updated = stock.update(m_client);
    const qint64 elapsed = timer.elapsed();
    QVERIFY(!updated);
    QVERIFY(StockSnapshot(stock) == before);
    QCOMPARE(log.texts(), QStringList{QStringLiteral("Unable to parse.")});
    QVERIFY2(elapsed >= atLeastMs && elapsed < kBoundMs, qPrintable(QString::number(elapsed)));
    QCOMPARE(m_elsewhere.connectionCount(), 0);
}

// Each ends by the stall limit, so not before a second has passed.
void tst_StockHostileServers::stalledServers_data() {
    QTest::addColumn<Script>("script");
    QTest::newRow("accepts, never answers") << RawTcpServer::silentAfter({});
    QTest::newRow("head, then silence")
        << RawTcpServer::silentAfter(head(lengthField(kNewPage.size())));
    QTest::newRow("a byte every two seconds")
        << RawTcpServer::trickling(head(lengthField(kNewPage.size())), "<", 2000ms, 30);
    QTest::newRow("the whole page, after the stall limit")
        << answeringLate(head(lengthField(kNewPage.size())) + kNewPage, 2500ms);
}

void tst_StockHostileServers::stalledServers() {
    QFETCH(Script, script);
    serverFails(script, 900);
}

// Broken exchanges; where the page comes at all, it comes whole.
void tst_StockHostileServers::brokenResponses_data() {
    QTest::addColumn<Script>("script");
    const QByteArray claimsMore = head(lengthField(kNewPage.size() + 1000)) + kNewPage;
    QTest::newRow("claims a length it never sends, closes") << RawTcpServer::answering(claimsMore);
    QTest::newRow("claims a length it never sends, resets mid-body") << resetAfter(claimsMore);
    QTest::newRow("chunked without the last chunk")
        << RawTcpServer::answering(head("Transfer-Encoding: chunked\r\n") + chunk(kNewPage));
    QTest::newRow("closes before answering") << RawTcpServer::answering({});
    QTest::newRow("resets before answering") << resetAfter({});
    QTest::newRow("no status line, only the page") << RawTcpServer::answering(kNewPage);
    QTest::newRow("binary noise") << RawTcpServer::answering(noise(4096));
    QTest::newRow("a mail server's greeting")
        << RawTcpServer::answering("220 mail.example ESMTP ready\r\n");
}

void tst_StockHostileServers::brokenResponses() {
    QFETCH(Script, script);
    serverFails(script, 0);
}

// Every body holds the page at its start; only the cap on what arrives stops it.
void tst_StockHostileServers::oversizedBodies_data() {
    QTest::addColumn<Script>("script");
    const QByteArray filler(64 * 1024, ' ');
    const qsizetype endless = 4 * kBodyCap / filler.size(); // as far as any client would care
    QTest::newRow("endless, delimited by close")
        << padded(head("Connection: close\r\n") + kNewPage, filler, endless, {});
    QTest::newRow("endless, chunked")
        << padded(head("Transfer-Encoding: chunked\r\n") + chunk(kNewPage), chunk(filler), endless,
                  "0\r\n\r\n");
    const qsizetype overCap = kBodyCap / filler.size() + 1;
    QTest::newRow("declares a length over the cap, and sends it")
        << padded(head(lengthField(kNewPage.size() + overCap * filler.size())) + kNewPage, filler,
                  overCap, {});
    const QByteArray bomb = gzipped(kNewPage + QByteArray(kBodyCap, ' '));
    QTest::newRow("gzip expanding past the cap") << RawTcpServer::answering(
        head("Content-Encoding: gzip\r\n" + lengthField(bomb.size())) + bomb);
}

void tst_StockHostileServers::oversizedBodies() {
    QFETCH(Script, script);
    serverFails(script, 0);
}

void tst_StockHostileServers::refusedRedirects_data() {
    QTest::addColumn<Script>("script");
    QTest::newRow("to itself, without end")
        << RawTcpServer::answering(redirectTo("/stocks/detail/?code=1234"));
    QTest::newRow("to a local file") << RawTcpServer::answering(
        redirectTo(QUrl::fromLocalFile(m_localPage.fileName()).toEncoded()));
    for (const char *scheme : {"gopher", "ftp", "dict"}) {
        const QByteArray location =
            QByteArray(scheme) + "://127.0.0.1:" + QByteArray::number(m_elsewhere.port()) + '/';
        QTest::addRow("to %s", scheme) << RawTcpServer::answering(redirectTo(location));
    }
}

void tst_StockHostileServers::refusedRedirects() {
    QFETCH(Script, script);
    serverFails(script, 0);
}

void tst_StockHostileServers::refusedConnection() {
    // A bound socket that never listens keeps its port taken, so the refusal is certain.
    const int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    QVERIFY(socket >= 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    QCOMPARE(::bind(socket, reinterpret_cast<sockaddr *>(&address), length), 0);
    QCOMPARE(::getsockname(socket, reinterpret_cast<sockaddr *>(&address), &length), 0);
    updateFails(QStringLiteral("http://127.0.0.1:%1").arg(ntohs(address.sin_port)), 0);
    ::close(socket);
}

// Pages that parse and arrive whole, each with a 10 MB part; none logs anything.
void tst_StockHostileServers::oversizedPages_data() {
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<bool>("updated");
    const QByteArray huge(10 * 1000 * 1000, 'N');
    // No real site sends such a title: refused like a title without text, so nothing changes.
    QTest::newRow("title") << quotePage(huge + kLenticularCode, "New", "1,500", "1,450",
                                        "3,000,000")
                           << false;
    // A cell the scraper does not read costs memory for a moment and changes nothing else.
    QTest::newRow("name cell beside the price")
        << quotePage("New Name" + kLenticularCode, huge, "1,500", "1,450", "3,000,000") << true;
}

void tst_StockHostileServers::oversizedPages() {
    QFETCH(QByteArray, page);
    QFETCH(bool, updated);
    RawTcpServer server(RawTcpServer::answering(head(lengthField(page.size())) + page));
    QVERIFY(server.start());
    Stock stock(QStringLiteral("1234"), server.baseURL());
    QVERIFY(stock.updateWithPage(kOldPage));
    const StockSnapshot before(stock);
    LogCapture log;
    QCOMPARE(stock.update(m_client), updated);
    QVERIFY(log.texts().isEmpty());
    if (!updated) {
        QVERIFY(StockSnapshot(stock) == before);
        return;
    }
    Stock expected(QStringLiteral("1234"));
    QVERIFY(expected.updateWithPage(kNewPage));
    QCOMPARE(stock.name(), expected.name());
    QCOMPARE(stock.quote(), expected.quote());
    QCOMPARE(stock.prev_close(), expected.prev_close());
    QCOMPARE(stock.volume(), expected.volume());
}

QTEST_GUILESS_MAIN(tst_StockHostileServers)
#include "tst_StockHostileServers.moc"
