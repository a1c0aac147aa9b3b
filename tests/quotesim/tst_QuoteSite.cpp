#include "QuoteSite.h"

#include <memory>

#include <libxml/HTMLparser.h>
#include <libxml/xpath.h>

#include <QRegularExpression>
#include <QStringList>
#include <QTest>

namespace {

struct DocumentFree {
    void operator()(xmlDoc *document) const { xmlFreeDoc(document); }
};
struct ContextFree {
    void operator()(xmlXPathContext *context) const { xmlXPathFreeContext(context); }
};
struct ObjectFree {
    void operator()(xmlXPathObject *object) const { xmlXPathFreeObject(object); }
};

// A page read as the scraper reads it: libxml2's HTML parser, the same three XPath searches,
// and the first text child of each match.
class ScrapedPage {
public:
    explicit ScrapedPage(const std::string &body)
        : m_document(htmlReadMemory(body.data(), static_cast<int>(body.size()), "", nullptr,
                                    HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING)) {}

    QStringList texts(const char *xpath) const {
        QStringList found;
        if (!m_document)
            return found;
        const std::unique_ptr<xmlXPathContext, ContextFree> context(
            xmlXPathNewContext(m_document.get()));
        const std::unique_ptr<xmlXPathObject, ObjectFree> result(
            xmlXPathEvalExpression(reinterpret_cast<const xmlChar *>(xpath), context.get()));
        if (!result || !result->nodesetval)
            return found;
        for (int i = 0; i < result->nodesetval->nodeNr; ++i)
            found << firstText(result->nodesetval->nodeTab[i]);
        return found;
    }

    QStringList titles() const { return texts("//title"); }
    QStringList cells() const { return texts("//table[@class=\"stocksTable\"]/tr/td"); }
    QStringList figures() const { return texts("//div[@class=\"innerDate\"]/div/dl/dd/strong"); }

    QString name(const QString &code) const {
        const QStringList found = titles();
        const QRegularExpression pattern(QStringLiteral("^(.+)【%1】").arg(code));
        return found.isEmpty() ? QString() : pattern.match(found[0]).captured(1);
    }

private:
    static QString firstText(xmlNode *node) {
        for (xmlNode *child = node->children; child; child = child->next) {
            if (child->type == XML_TEXT_NODE)
                return QString::fromUtf8(reinterpret_cast<const char *>(child->content));
        }
        return {};
    }

    std::unique_ptr<xmlDoc, DocumentFree> m_document;
};

int number(QString text) {
    return text.remove(QLatin1Char(',')).toInt();
}

const QRegularExpression groupedDigits(QStringLiteral("^[1-9]\\d{0,2}(,\\d{3})*$"));

} // namespace

class tst_QuoteSite : public QObject {
    Q_OBJECT

private slots:
    void quotePagesReadAsScraped_data();
    void quotePagesReadAsScraped();
    void failurePagesHaveNoQuote_data();
    void failurePagesHaveNoQuote();
    void redirectLeadsToQuotePage();
    void pricesMoveEveryRequestAroundPreviousClose();

private:
    QuoteSite m_site{20261207, std::chrono::seconds(7)};
};

void tst_QuoteSite::quotePagesReadAsScraped_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("charset");
    QTest::addColumn<int>("figureCount");
    QTest::newRow("7203") << "7203" << 200 << "トヨタ自動車"
                          << "UTF-8" << 7;
    QTest::newRow("ampersand in name") << "3382" << 200 << "セブン&アイ・ホールディングス"
                                       << "UTF-8" << 7;
    QTest::newRow("five-digit price") << "6861" << 200 << "キーエンス"
                                      << "UTF-8" << 7;
    QTest::newRow("three-digit price") << "9432" << 200 << "日本電信電話"
                                       << "UTF-8" << 7;
    QTest::newRow("code with letters") << "2A46" << 200 << "北斗ライフサイエンス"
                                       << "UTF-8" << 7;
    QTest::newRow("503 with a quote") << "9992" << 503 << "朝霧精工"
                                      << "UTF-8" << 7;
    QTest::newRow("slow") << "9993" << 200 << "北辰物産"
                          << "UTF-8" << 7;
    QTest::newRow("Shift_JIS") << "9995" << 200 << "能登表示ソリューションズ"
                               << "Shift_JIS" << 7;
    QTest::newRow("EUC-JP") << "9996" << 200 << "濱田精機製作所"
                            << "EUC-JP" << 7;
    QTest::newRow("four figures") << "9997" << 200 << "四ツ谷化成"
                                  << "UTF-8" << 4;
}

void tst_QuoteSite::quotePagesReadAsScraped() {
    QFETCH(QString, code);
    QFETCH(int, status);
    QFETCH(QString, name);
    QFETCH(QString, charset);
    QFETCH(int, figureCount);
    const SitePage page = m_site.detail(code.toStdString());
    QCOMPARE(page.status, status);
    QCOMPARE(QString::fromStdString(page.contentType), "text/html; charset=" + charset);
    QCOMPARE(page.delay, std::chrono::seconds(code == "9993" ? 7 : 0));
    // The weight of a real quote page, which the scraping benchmarks rely on.
    QVERIFY2(page.body.size() > 30000 && page.body.size() < 120000,
             qPrintable(QString::number(page.body.size())));

    const ScrapedPage scraped(page.body);
    QCOMPARE(scraped.name(code), name);
    const QStringList cells = scraped.cells();
    QVERIFY(cells.size() >= 2);
    QVERIFY2(groupedDigits.match(cells[1]).hasMatch(), qPrintable(cells[1]));
    const QStringList figures = scraped.figures();
    QCOMPARE(figures.size(), figureCount);
    for (const QString &figure : figures)
        QVERIFY2(groupedDigits.match(figure).hasMatch(), qPrintable(figure));
    if (figureCount >= 5)
        QVERIFY2(number(figures[4]) >= 1000000, qPrintable(figures[4]));
}

void tst_QuoteSite::failurePagesHaveNoQuote_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("status");
    QTest::newRow("0000") << "0000" << 404;
    QTest::newRow("not listed") << "1234" << 404;
    QTest::newRow("not a code") << "<b>&" << 404;
    QTest::newRow("server error") << "9991" << 500;
}

void tst_QuoteSite::failurePagesHaveNoQuote() {
    QFETCH(QString, code);
    QFETCH(int, status);
    const SitePage page = m_site.detail(code.toStdString());
    QCOMPARE(page.status, status);
    const ScrapedPage scraped(page.body);
    QCOMPARE(scraped.titles().size(), 1);
    QVERIFY(!scraped.titles()[0].isEmpty());
    QCOMPARE(scraped.name(QRegularExpression::escape(code)), QString());
    QVERIFY(scraped.cells().isEmpty());
    QVERIFY(scraped.figures().isEmpty());
    QVERIFY(scraped.texts("//b").isEmpty()); // what was asked for is shown, never obeyed
}

void tst_QuoteSite::redirectLeadsToQuotePage() {
    const SitePage moved = m_site.detail("9994");
    QCOMPARE(moved.status, 302);
    QVERIFY(moved.location.starts_with(QuoteSite::movedPath));
    const std::string code = moved.location.substr(moved.location.find("?code=") + 6);
    const SitePage page = m_site.quotePage(code);
    QCOMPARE(page.status, 200);
    QCOMPARE(ScrapedPage(page.body).name(QStringLiteral("9994")), "青葉テクノロジーズ");
}

void tst_QuoteSite::pricesMoveEveryRequestAroundPreviousClose() {
    int previousPrice = 0;
    int previousVolume = 0;
    int above = 0;
    int below = 0;
    for (int request = 0; request < 200; ++request) {
        const ScrapedPage scraped(m_site.detail("7203").body);
        const int price = number(scraped.cells().value(1));
        const QStringList figures = scraped.figures();
        QCOMPARE(figures.size(), 7);
        const int previousClose = number(figures[0]);
        QVERIFY(price != previousPrice);
        QVERIFY(number(figures[4]) > previousVolume);
        // The walk stays within the day's price limit around the previous close.
        QVERIFY2(qAbs(price - previousClose) < previousClose / 5,
                 qPrintable(QString::number(price)));
        above += price > previousClose;
        below += price < previousClose;
        previousPrice = price;
        previousVolume = number(figures[4]);
    }
    QVERIFY2(above > 10 && below > 10, qPrintable(QStringLiteral("%1 %2").arg(above).arg(below)));
}

QTEST_GUILESS_MAIN(tst_QuoteSite)
#include "tst_QuoteSite.moc"
