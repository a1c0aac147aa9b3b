#include <atomic>
#include <mutex>
#include <thread>

#include <unicode/unistr.h>

#include <QtTest>

#include <libxml/parser.h>

#include "Clock.h"
#include "HttpClient.h"
#include "LocalHttpServer.h"
#include "QuoteSimServer.h"
#include "Stock.h"
#include "StockSnapshot.h"

namespace {

struct Page {
    QString title = QStringLiteral("Example Holdings\u30101234\u3011detail");
    QStringList cells = {QStringLiteral("Example"), QStringLiteral("1,500")};
    QStringList figures = {QStringLiteral("1,450"), QStringLiteral("1,460"),
                           QStringLiteral("1,520"), QStringLiteral("1,440"),
                           QStringLiteral("3,000,000")};
    bool withTitle = true;
    bool withTable = true;
    bool withFigures = true;
};

QString tableHtml(const QStringList &cells) {
    QString html = QStringLiteral("<table class=\"stocksTable\"><tr><th>code</th>");
    for (const QString &cell : cells)
        html += QStringLiteral("<td>%1</td>").arg(cell);
    return html + QStringLiteral("</tr></table>");
}

QString figuresHtml(const QStringList &figures) {
    QString html = QStringLiteral("<div class=\"innerDate\">");
    for (const QString &figure : figures)
        html += QStringLiteral("<div><dl><dt>f</dt><dd><strong>%1</strong></dd></dl></div>")
                    .arg(figure);
    return html + QStringLiteral("</div>");
}

QByteArray pageBytes(const Page &page) {
    QString html = QStringLiteral("<!DOCTYPE html><html><head><meta charset=\"utf-8\">");
    if (page.withTitle)
        html += QStringLiteral("<title>%1</title>").arg(page.title);
    html += QStringLiteral("</head><body><p>news</p>");
    if (page.withTable)
        html += tableHtml(page.cells);
    if (page.withFigures)
        html += figuresHtml(page.figures);
    return (html + QStringLiteral("</body></html>")).toUtf8();
}

// The page declares one charset and is written in another, as a site's Windows-made pages are.
QByteArray encoded(const QByteArray &utf8Html, const char *declared, const char *charset) {
    QString html = QString::fromUtf8(utf8Html);
    html.replace(QStringLiteral("charset=\"utf-8\""),
                 QStringLiteral("charset=\"%1\"").arg(QLatin1String(declared)));
    const icu::UnicodeString text(reinterpret_cast<const UChar *>(html.utf16()),
                                  static_cast<int32_t>(html.size()));
    QByteArray bytes(text.length() * 4 + 16, '\0');
    const int32_t length = text.extract(0, text.length(), bytes.data(), charset);
    bytes.truncate(length);
    return bytes;
}

// Serves whatever page the test sets, for any code, and counts the requests.
class QuotePageServer {
public:
    QuotePageServer() {
        m_http.server().Get("/stocks/detail/",
                            [this](const httplib::Request &request, httplib::Response &response) {
                                ++m_requests;
                                std::lock_guard lock(m_mutex);
                                if (request.get_param_value("code") == "redirect") {
                                    response.set_redirect("/moved");
                                    return;
                                }
                                response.status = m_status;
                                response.set_content(m_body.toStdString(), "text/html");
                            });
        m_http.server().Get("/moved",
                            [this](const httplib::Request &, httplib::Response &response) {
                                std::lock_guard lock(m_mutex);
                                response.set_content(m_body.toStdString(), "text/html");
                            });
        m_http.start();
    }
    void serve(const QByteArray &body, int status = 200) {
        std::lock_guard lock(m_mutex);
        m_body = body;
        m_status = status;
    }
    QString baseURL() const { return m_http.baseURL(); }
    int requests() const { return m_requests; }

private:
    LocalHttpServer m_http;
    std::mutex m_mutex;
    QByteArray m_body;
    int m_status = 200;
    std::atomic<int> m_requests{0};
};

} // namespace

class tst_Stock : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        xmlInitParser();
        HttpClient::globalInit();
        QVERIFY(m_server.baseURL().startsWith(QStringLiteral("http://127.0.0.1:")));
    }

    void parseInteger_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("value");
        QTest::newRow("grouped") << "1,234" << qint64(1234);
        QTest::newRow("decimal part dropped") << "1,234.5" << qint64(1234);
        QTest::newRow("dashes") << "---" << qint64(0);
        QTest::newRow("leading space and sign") << " \t+42" << qint64(42);
        QTest::newRow("ideographic space") << "\u3000 12" << qint64(12);
        QTest::newRow("negative") << "-7,000" << qint64(-7000);
        QTest::newRow("digits then letters") << "12abc34" << qint64(12);
        QTest::newRow("full-width digits are not digits") << "\uFF11\uFF12" << qint64(0);
        QTest::newRow("saturates high") << "3,000,000,000" << qint64(2147483647);
        QTest::newRow("saturates low") << "-99999999999999999999" << qint64(-2147483648LL);
        QTest::newRow("empty") << "" << qint64(0);
        QTest::newRow("null") << QString() << qint64(0);
    }
    void parseInteger() {
        QFETCH(QString, text);
        QFETCH(qint64, value);
        QCOMPARE(Stock::parseInteger(text), value);
    }

    void codeURL_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<bool>("valid");
        QTest::newRow("four digits") << "7203" << true;
        QTest::newRow("percent escape") << "72%2003" << true;
        QTest::newRow("space") << "72 03" << false;
        QTest::newRow("fragment mark") << "72#03" << false;
        QTest::newRow("broken escape") << "72%zz" << false;
        QTest::newRow("full-width digits") << "\uFF17\uFF12\uFF10\uFF13" << false;
        QTest::newRow("angle bracket") << "<7203>" << false;
    }
    void codeURL() {
        QFETCH(QString, code);
        QFETCH(bool, valid);
        const Stock stock(code, QStringLiteral("http://example.test"));
        if (valid)
            QCOMPARE(stock.codeURL().toString(QUrl::FullyEncoded),
                     QStringLiteral("http://example.test/stocks/detail/?code=") + code);
        else
            QVERIFY(stock.codeURL().isEmpty());
    }

    void invalidCodeFetchesNothing() {
        Stock stock(QStringLiteral("12 4"), m_server.baseURL());
        const int before = m_server.requests();
        QVERIFY(!stock.update());
        QCOMPARE(m_server.requests(), before);
        QVERIFY(stock.name().isNull());
        QVERIFY(!stock.updated_at().isValid());
    }

    void successfulUpdateFillsEveryField() {
        Stock stock(QStringLiteral("1234"), m_server.baseURL());
        m_server.serve(pageBytes(Page()));
        const QDateTime before = QDateTime::currentDateTime();
        QVERIFY(stock.update());
        QCOMPARE(stock.name(), QStringLiteral("Example Holdings"));
        QCOMPARE(stock.quote(), 1500);
        QCOMPARE(stock.prev_close(), 1450);
        QCOMPARE(stock.volume(), 3000000);
        QVERIFY(stock.updated_at() >= before.addMSecs(-1));
        QVERIFY(stock.updated_at() <= QDateTime::currentDateTime());
    }

    // Which fields a failing page changes: the ones assigned before the failing step.
    void failingPages_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("fieldsChanged"); // name, quote, prev_close, volume, updated_at
        QTest::addColumn<bool>("result");
        Page page;
        QTest::newRow("empty body") << QByteArray() << 200 << 0 << false;
        page.withTitle = false;
        QTest::newRow("no title") << pageBytes(page) << 200 << 0 << false;
        page = Page();
        page.title.clear();
        QTest::newRow("title without text") << pageBytes(page) << 200 << 0 << false;
        page.title = QString(1019, QLatin1Char('A')) + QStringLiteral("\u30101234\u3011");
        QTest::newRow("title of 1025 units") << pageBytes(page) << 200 << 0 << false;
        page = Page();
        page.title = QStringLiteral("Not found");
        page.withTable = false;
        page.withFigures = false;
        QTest::newRow("error page") << pageBytes(page) << 404 << 1 << false;
        page = Page();
        page.cells = {QStringLiteral("only one")};
        QTest::newRow("one price cell") << pageBytes(page) << 200 << 1 << false;
        page = Page();
        // Matched cells holding the 80 below them: far more markup than a search may convert.
        page.cells[1] =
            QStringLiteral("<table class=\"stocksTable\"><tr><td>0</td><td>").repeated(80) +
            QString(50000, QLatin1Char('9')) + QStringLiteral("</td></tr></table>").repeated(80);
        QTest::newRow("price table nested 80 deep") << pageBytes(page) << 200 << 1 << false;
        page = Page();
        page.withFigures = false;
        QTest::newRow("no figures") << pageBytes(page) << 200 << 2 << false;
        page = Page();
        page.figures.removeLast();
        QTest::newRow("four figures") << pageBytes(page) << 200 << 3 << false;
        QTest::newRow("error status, quote page") << pageBytes(Page()) << 500 << 5 << true;
    }
    void failingPages() {
        QFETCH(QByteArray, body);
        QFETCH(int, status);
        QFETCH(int, fieldsChanged);
        QFETCH(bool, result);

        Stock stock(QStringLiteral("1234"), m_server.baseURL());
        Page old;
        old.title = QStringLiteral("Old Name\u30101234\u3011");
        old.cells = {QStringLiteral("x"), QStringLiteral("900")};
        old.figures = {QStringLiteral("800"), QString(), QString(), QString(), QStringLiteral("5")};
        m_server.serve(pageBytes(old));
        QVERIFY(stock.update());
        const StockSnapshot before(stock);
        QTest::qWait(2); // so a new update time differs from the old one

        m_server.serve(body, status);
        QCOMPARE(stock.update(), result);
        const StockSnapshot after(stock);
        const bool changed[] = {after.name != before.name, after.quote != before.quote,
                                after.prevClose != before.prevClose, after.volume != before.volume,
                                after.updatedAt != before.updatedAt};
        for (int field = 0; field < 5; ++field)
            QVERIFY2(changed[field] == (field < fieldsChanged),
                     qPrintable(QStringLiteral("field %1").arg(field)));
    }

    void name_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("name");
        QTest::newRow("plain") << "1234"
                               << "Example Holdings\u30101234\u3011detail"
                               << "Example Holdings";
        QTest::newRow("code twice") << "1234"
                                    << "A\u30101234\u3011B\u30101234\u3011C"
                                    << "A\u30101234\u3011B";
        QTest::newRow("second line ignored") << "1234"
                                             << "A\u30101234\u3011\nB\u30101234\u3011"
                                             << "A";
        QTest::newRow("leading line break") << "1234"
                                            << "\nA\u30101234\u3011"
                                            << "";
        QTest::newRow("other code") << "1234"
                                    << "A\u30109999\u3011"
                                    << "";
        QTest::newRow("title of 1024 units")
            << "1234" << QString(1018, QLatin1Char('A')) + QStringLiteral("\u30101234\u3011")
            << QString(1018, QLatin1Char('A'));
        QTest::newRow("nothing in front") << "1234"
                                          << "\u30101234\u3011"
                                          << "";
        QTest::newRow("dot is literal") << "12.4"
                                        << "A\u3010123 4\u3011B\u301012x4\u3011"
                                        << "";
        QTest::newRow("dot matches itself") << "12.4"
                                            << "A\u301012.4\u3011"
                                            << "A";
        QTest::newRow("unbalanced parenthesis") << "1(3"
                                                << "A\u30101(3\u3011"
                                                << "A";
        QTest::newRow("star") << "1*3"
                              << "A\u301011113\u3011B\u30101*3\u3011"
                              << "A\u301011113\u3011B";
        QTest::newRow("dollar") << "13$"
                                << "A\u301013$\u3011"
                                << "A";
    }
    void name() {
        QFETCH(QString, code);
        QFETCH(QString, title);
        QFETCH(QString, name);
        Page page;
        page.title = title.toHtmlEscaped();
        m_server.serve(pageBytes(page));
        Stock stock(code, m_server.baseURL());
        QVERIFY(stock.update());
        QCOMPARE(stock.name(), name);
        QVERIFY(!stock.name().isNull());
    }

    void cellTexts_data() {
        QTest::addColumn<QString>("cell");
        QTest::addColumn<qint64>("quote");
        QTest::newRow("grouped") << "1,234" << qint64(1234);
        QTest::newRow("decimal") << "1,234.5" << qint64(1234);
        QTest::newRow("dashes") << "---" << qint64(0);
        QTest::newRow("text only nested") << "<b>1,234</b>" << qint64(0);
        QTest::newRow("nested then digits") << "<b>x</b>2,345" << qint64(2345);
        QTest::newRow("empty cell") << "" << qint64(0);
    }
    void cellTexts() {
        QFETCH(QString, cell);
        QFETCH(qint64, quote);
        Page page;
        page.cells = {QStringLiteral("c"), cell};
        page.figures[4] = QStringLiteral("3,000,000,000");
        m_server.serve(pageBytes(page));
        Stock stock(QStringLiteral("1234"), m_server.baseURL());
        QVERIFY(stock.update());
        QCOMPARE(stock.quote(), quote);
        QCOMPARE(stock.volume(), 2147483647);
    }

    // Grouping follows the user's locale: ',' in ja/en, '.' in de, U+202F in fr.
    void displayTexts_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("price");
        QTest::addColumn<QString>("previous");
        QTest::addColumn<QString>("volume");
        QTest::addColumn<QStringList>("texts"); // quote, change, volume
        for (const char *locale : {"ja_JP", "en_US"}) {
            QTest::addRow("%s zero price", locale) << locale << "0"
                                                   << "1,500"
                                                   << "0" << QStringList{"-", "-1,500", "0"};
            QTest::addRow("%s small", locale)
                << locale << "999"
                << "999"
                << "12,345,600" << QStringList{"999", "+0", "12,345,600"};
            QTest::addRow("%s up", locale) << locale << "1,500"
                                           << "1,450"
                                           << "1" << QStringList{"1,500", "+50", "1"};
            QTest::addRow("%s down", locale) << locale << "1,450"
                                             << "1,500"
                                             << "1" << QStringList{"1,450", "-50", "1"};
            QTest::addRow("%s large", locale) << locale << "12,000"
                                              << "10,500"
                                              << "1" << QStringList{"12,000", "+1,500", "1"};
        }
        QTest::newRow("de_DE") << "de_DE"
                               << "1,234,567"
                               << "1,235,567"
                               << "12,345,600" << QStringList{"1.234.567", "-1.000", "12.345.600"};
        QTest::newRow("fr_FR") << "fr_FR"
                               << "1,234,567"
                               << "1,233,567"
                               << "12,345,600"
                               << QStringList{"1\u202F234\u202F567", "+1\u202F000",
                                              "12\u202F345\u202F600"};
    }
    void displayTexts() {
        QFETCH(QString, locale);
        QFETCH(QString, price);
        QFETCH(QString, previous);
        QFETCH(QString, volume);
        QFETCH(QStringList, texts);
        const QLocale saved;
        QLocale::setDefault(QLocale(locale));
        Page page;
        page.cells = {QStringLiteral("c"), price};
        page.figures = {previous, QString(), QString(), QString(), volume};
        Stock stock(QStringLiteral("1234"));
        QVERIFY(stock.updateWithPage(pageBytes(page)));
        const QStringList actual{stock.quoteToFormat(), stock.prevCloseToFormat(),
                                 stock.volumeToFormat()};
        QLocale::setDefault(saved);
        QCOMPARE(actual, texts);
    }

    // The update time in the machine's zone, hours and minutes only.
    void updateTime_data() {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QString>("utc");
        QTest::addColumn<QString>("text");
        QTest::newRow("Tokyo, seconds never carry")
            << QByteArray("Asia/Tokyo") << "2026-12-07T00:05:59Z"
            << "09:05";
        QTest::newRow("Tokyo, last minute") << QByteArray("Asia/Tokyo") << "2026-12-07T14:59:00Z"
                                            << "23:59";
        QTest::newRow("New York") << QByteArray("America/New_York") << "2026-12-07T14:05:00Z"
                                  << "09:05";
    }
    void updateTime() {
        QFETCH(QByteArray, zone);
        QFETCH(QString, utc);
        QFETCH(QString, text);
        const bool hadZone = qEnvironmentVariableIsSet("TZ");
        const QByteArray savedZone = qgetenv("TZ");
        qputenv("TZ", zone);
        tzset();
        Stock stock(QStringLiteral("1234"));
        QVERIFY(stock.updatedAtToFormat().isNull());
        Clock::setFixed(QDateTime::fromString(utc, Qt::ISODate));
        const bool updated = stock.updateWithPage(pageBytes(Page()));
        Clock::setFixed(QDateTime());
        const QString actual = stock.updatedAtToFormat();
        if (hadZone)
            qputenv("TZ", savedZone);
        else
            qunsetenv("TZ");
        tzset();
        QVERIFY(updated);
        QCOMPARE(actual, text);
    }

    void extraFiguresIgnored() {
        Page page;
        page.figures << QStringLiteral("7") << QStringLiteral("8");
        m_server.serve(pageBytes(page));
        Stock stock(QStringLiteral("1234"), m_server.baseURL());
        QVERIFY(stock.update());
        QCOMPARE(stock.volume(), 3000000);
    }

    void encodings_data() {
        QTest::addColumn<QByteArray>("declared");
        QTest::addColumn<QByteArray>("charset");
        QTest::addColumn<QString>("name");
        const QString plain = QStringLiteral("株式会社テスト");
        QTest::newRow("UTF-8") << QByteArray("utf-8") << QByteArray("utf-8") << plain;
        QTest::newRow("Shift_JIS") << QByteArray("Shift_JIS") << QByteArray("Shift_JIS") << plain;
        QTest::newRow("EUC-JP") << QByteArray("EUC-JP") << QByteArray("EUC-JP") << plain;
        // Japanese sites label Windows code page 932 as Shift_JIS; its extra characters (髙 of
        // 髙島屋, circled figures) must not cut the page off.
        QTest::newRow("Shift_JIS written as CP932")
            << QByteArray("Shift_JIS") << QByteArray("windows-31j")
            << QStringLiteral("株式会社髙島屋①");
    }
    void encodings() {
        QFETCH(QByteArray, declared);
        QFETCH(QByteArray, charset);
        QFETCH(QString, name);
        Page page;
        page.title = name + QStringLiteral("\u30101234\u3011の株価");
        m_server.serve(encoded(pageBytes(page), declared.constData(), charset.constData()));
        Stock stock(QStringLiteral("1234"), m_server.baseURL());
        QVERIFY(stock.update());
        QCOMPARE(stock.name(), name);
        QCOMPARE(stock.quote(), 1500);
    }

    void redirectFollowed() {
        m_server.serve(pageBytes(Page()));
        Stock stock(QStringLiteral("redirect"), m_server.baseURL());
        QVERIFY(stock.update());
        QCOMPARE(stock.quote(), 1500);
    }

    void simulatorPages_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<bool>("result");
        QTest::newRow("quote page") << "7203" << true;
        QTest::newRow("not found") << "0000" << false;
        QTest::newRow("server error page") << "9991" << false;
        QTest::newRow("error status, quote page") << "9992" << true;
        QTest::newRow("redirect") << "9994" << true;
        QTest::newRow("Shift_JIS") << "9995" << true;
        QTest::newRow("EUC-JP") << "9996" << true;
        QTest::newRow("four figures") << "9997" << false;
    }
    void simulatorPages() {
        QFETCH(QString, code);
        QFETCH(bool, result);
        QVERIFY(m_simulator.isRunning());
        Stock stock(code, m_simulator.baseURL());
        QCOMPARE(stock.update(), result);
        if (result) {
            QVERIFY(!stock.name().isEmpty());
            QVERIFY(stock.quote() > 0);
            QVERIFY(stock.volume() > 0);
        }
    }

    // Readers on another thread see whole values while updates run, and a quote's price and
    // previous close from the same update (both pages close 50 below the price).
    void readWhileUpdating() {
        Page higher;
        higher.cells[1] = QStringLiteral("1,600");
        higher.figures[0] = QStringLiteral("1,550");
        const QByteArray pages[] = {pageBytes(Page()), pageBytes(higher)};
        Stock stock(QStringLiteral("1234"), m_server.baseURL());
        std::atomic<bool> done{false};
        std::thread writer([&] {
            for (int i = 0; i < 2000; ++i)
                stock.updateWithPage(pages[i % 2]);
            done = true;
        });
        int reads = 0;
        while (!done) {
            const QString name = stock.name();
            QVERIFY(name.isNull() || name == QStringLiteral("Example Holdings"));
            const Stock::Quote quote = stock.lastQuote();
            QVERIFY(quote.price == 0 || quote.price - quote.prevClose == 50);
            stock.updatedAtToFormat();
            ++reads;
        }
        writer.join();
        QVERIFY(reads > 0);
    }

private:
    QuotePageServer m_server;
    QuoteSimServer m_simulator;
};

QTEST_GUILESS_MAIN(tst_Stock)
#include "tst_Stock.moc"
