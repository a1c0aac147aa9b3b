#include <atomic>
#include <thread>
#include <vector>

#include <sys/mman.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QScopeGuard>
#include <QTest>

#include <libxml/parser.h>

#include "LogCapture.h"
#include "XPathDocument.h"
#include "XPathQuery.h"

using Map = QVariantMap;
using List = QVariantList;

namespace {

Map textChild(const QString &content) {
    return {{"nodeName", "text"}, {"nodeContent", content}};
}

std::optional<List> search(const QByteArray &data, bool isXML, const QString &query) {
    return isXML ? XPathQuery::XmlXPathSearch(data, query)
                 : XPathQuery::HtmlXPathSearch(data, query);
}

QByteArray shown(const std::optional<List> &nodes) {
    return nodes ? QJsonDocument(QJsonArray::fromVariantList(*nodes)).toJson() : "(failed)";
}

QStringList texts(const QList<std::shared_ptr<XPathElement>> &elements) {
    QStringList result;
    for (const auto &element : elements)
        result << element->text();
    return result;
}

} // namespace

class tst_XPathDocument : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { xmlInitParser(); }
    void failuresLogOneLineNoMatchLogsNone_data();
    void failuresLogOneLineNoMatchLogsNone();
    void oversizedDocumentIsNeverParsedTruncated_data();
    void oversizedDocumentIsNeverParsedTruncated();
    void conversion_data();
    void conversion();
    void attributeValuesAreTrimmedTextIsNot_data();
    void attributeValuesAreTrimmedTextIsNot();
    void matchesInDocumentOrderAsFreshElements();
    void xmlAndHtmlParseTheSameBytesDifferently_data();
    void xmlAndHtmlParseTheSameBytesDifferently();
    void xmlModeRecoversWhatItCan();
    void concurrentSearchesAgree();
};

void tst_XPathDocument::failuresLogOneLineNoMatchLogsNone_data() {
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<bool>("isXML");
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("line");

    const QByteArray page = "<p>1</p><p>2</p>";
    QTest::newRow("null html") << QByteArray() << false << "//p"
                               << "Unable to parse.";
    QTest::newRow("null xml") << QByteArray() << true << "//p"
                              << "Unable to parse.";
    QTest::newRow("empty html") << QByteArray("") << false << "//p"
                                << "Unable to parse.";
    QTest::newRow("empty xml") << QByteArray("") << true << "/"
                               << "Unable to parse.";
    QTest::newRow("syntax error") << page << false << "//p["
                                  << "Unable to evaluate XPath.";
    QTest::newRow("unknown function") << page << false << "//p[f()]"
                                      << "Unable to evaluate XPath.";
    QTest::newRow("unbound prefix") << page << false << "//q:p"
                                    << "Unable to evaluate XPath.";
    QTest::newRow("count") << page << false << "count(//p)"
                           << "Nodes was nil.";
    QTest::newRow("string") << page << false << "string(//p)"
                            << "Nodes was nil.";
    QTest::newRow("boolean xml") << QByteArray("<r/>") << true << "boolean(/r)"
                                 << "Nodes was nil.";
    // Each of the 200 matches carries the markup of all those inside it: about 10^9 characters.
    const QByteArray nested = QByteArray("<div>").repeated(200) + QByteArray(50000, 'x') +
                              QByteArray("</div>").repeated(200);
    QTest::newRow("matches nested past any real page") << nested << false << "//div"
                                                       << "Unable to evaluate XPath.";
    QTest::newRow("matches nested past any real page, xml") << nested << true << "//div"
                                                            << "Unable to evaluate XPath.";
    QTest::newRow("no match") << page << false << "//table" << QString();
    QTest::newRow("no match by predicate") << page << false << "//p[@class='x']" << QString();
    QTest::newRow("no match below a predicate")
        << page << false << "//table[@class='x']/tr/td" << QString();
    QTest::newRow("no match below a predicate, xml")
        << QByteArray("<r><d/></r>") << true << "//d[@class='x']/e" << QString();
    QTest::newRow("blank html is a document") << QByteArray("  ") << false << "//p" << QString();
}

void tst_XPathDocument::failuresLogOneLineNoMatchLogsNone() {
    QFETCH(QByteArray, data);
    QFETCH(bool, isXML);
    QFETCH(QString, query);
    QFETCH(QString, line);

    LogCapture log;
    const std::optional<List> core = search(data, isXML, query);
    QCOMPARE(core.has_value(), line.isEmpty());
    QVERIFY(!core || core->isEmpty());
    const XPathDocument document(data, isXML);
    QVERIFY(document.searchWithXPathQuery(query).isEmpty());
    QVERIFY(!document.peekAtSearchWithXPathQuery(query));
    QCOMPARE(log.texts(), line.isEmpty() ? QStringList() : QStringList(3, line));
}

void tst_XPathDocument::oversizedDocumentIsNeverParsedTruncated_data() {
    QTest::addColumn<qsizetype>("size");
    QTest::newRow("2 GiB") << (qsizetype(1) << 31);
    // Cut to a C int this size would read as 16: exactly the markup written below.
    QTest::newRow("4 GiB + 16") << (qsizetype(1) << 32) + 16;
}

void tst_XPathDocument::oversizedDocumentIsNeverParsedTruncated() {
    QFETCH(qsizetype, size);
    // Reserved, not committed: only the first page is ever touched.
    void *memory = mmap(nullptr, size_t(size), PROT_READ | PROT_WRITE,
                        MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (memory == MAP_FAILED)
        QSKIP("cannot reserve the address space");
    const auto unmap = qScopeGuard([&] { munmap(memory, size_t(size)); });
    memcpy(memory, "<p>xx</p><p></p>", 16);

    LogCapture log;
    const auto document = XPathDocument::documentWithHTMLData(
        QByteArray::fromRawData(static_cast<char *>(memory), size));
    QVERIFY(document.searchWithXPathQuery("//p").isEmpty());
    QCOMPARE(log.texts(), QStringList{"Unable to parse."});
}

void tst_XPathDocument::conversion_data() {
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<bool>("isXML");
    QTest::addColumn<QString>("query");
    QTest::addColumn<List>("expected");

    QTest::newRow("cell holding only text")
        << QByteArray(
               "<table class=\"stocksTable\"><tr><td class=\"p\">\n 1,234 </td></tr></table>")
        << false << "//table[@class=\"stocksTable\"]/tr/td"
        << List{Map{
               {"nodeName", "td"},
               {"nodeAttributeArray", List{Map{{"attributeName", "class"}, {"nodeContent", "p"}}}},
               {"nodeChildArray", List{textChild("\n 1,234 ")}},
               {"raw", "<td class=\"p\">\n 1,234 </td>"}}};
    QTest::newRow("no attributes, no children: no key")
        << QByteArray("<div><br><p></p>tail</div>") << false << "//div"
        << List{Map{
               {"nodeName", "div"},
               {"nodeChildArray", List{Map{{"nodeName", "br"}, {"raw", "<br/>"}},
                                       Map{{"nodeName", "p"}, {"raw", "<p/>"}}, textChild("tail")}},
               {"raw", "<div><br/><p/>tail</div>"}}};
    // libxml2 keeps an unknown valueless attribute without a value, but gives an HTML
    // boolean attribute its own name as value.
    QTest::newRow("valueless attributes")
        << QByteArray("<input data-flag disabled>") << false << "//input"
        << List{Map{{"nodeName", "input"},
                    {"nodeAttributeArray",
                     List{Map{{"attributeName", "data-flag"}},
                          Map{{"attributeName", "disabled"}, {"nodeContent", "disabled"}}}},
                    {"raw", "<input data-flag=\"\" disabled=\"disabled\"/>"}}};

    const QByteArray html = "<p class=\" a \">x &amp; y<!-- note --></p>";
    QTest::newRow("selected text node")
        << html << false << "//p/text()"
        << List{Map{{"nodeName", "text"}, {"nodeContent", "x & y"}, {"raw", "x &amp; y"}}};
    QTest::newRow("comment") << html << false << "//comment()"
                             << List{Map{{"nodeName", "comment"},
                                         {"nodeContent", " note "},
                                         {"raw", "<!-- note -->"}}};
    QTest::newRow("selected attribute: value untrimmed")
        << html << false << "//@class"
        << List{Map{{"nodeName", "class"},
                    {"nodeChildArray", List{textChild(" a ")}},
                    {"raw", " class=\" a \""}}};

    const QByteArray xml =
        "<!DOCTYPE r [<!ENTITY e 'v'>]>"
        "<r xmlns:q='urn:q' a='&e;x'><q:c>t</q:c><![CDATA[<cd>]]><?pi data?></r>";
    const Map cdata{{"nodeContent", "<cd>"}, {"raw", "<![CDATA[<cd>]]>"}};
    const Map pi{{"nodeName", "pi"}, {"nodeContent", "data"}, {"raw", "<?pi data?>"}};
    QTest::newRow("cdata has no name") << xml << true << "/r/text()" << List{cdata};
    QTest::newRow("processing instruction")
        << xml << true << "//processing-instruction()" << List{pi};
    QTest::newRow("namespace node") << xml << true << "/r/namespace::q"
                                    << List{Map{{"nodeName", "q"}, {"nodeContent", "urn:q"}}};
    // Names lose their prefix; a namespace declaration is no attribute; an entity reference
    // as first value node is converted in full rather than trimmed.
    QTest::newRow("xml element")
        << xml << true << "/r"
        << List{Map{{"nodeName", "r"},
                    {"nodeAttributeArray",
                     List{Map{{"attributeName", "a"},
                              {"attributeContent",
                               Map{{"nodeName", "e"}, {"nodeContent", "v"}, {"raw", "&e;"}}}}}},
                    {"nodeChildArray", List{Map{{"nodeName", "c"},
                                                {"nodeChildArray", List{textChild("t")}},
                                                {"raw", "<q:c>t</q:c>"}},
                                            cdata, pi}},
                    {"raw", "<r xmlns:q=\"urn:q\" a=\"&e;x\"><q:c>t</q:c><![CDATA[<cd>]]><?pi "
                            "data?></r>"}}};
}

void tst_XPathDocument::conversion() {
    QFETCH(QByteArray, data);
    QFETCH(bool, isXML);
    QFETCH(QString, query);
    QFETCH(List, expected);

    const std::optional<List> found = search(data, isXML, query);
    QVERIFY2(found == expected, shown(found) + "expected:\n" + shown(expected));
}

void tst_XPathDocument::attributeValuesAreTrimmedTextIsNot_data() {
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QString>("untrimmed");
    QTest::addColumn<QString>("trimmed");

    QTest::newRow("plain") << QByteArray("a b") << "a b"
                           << "a b";
    QTest::newRow("spaces, tabs, line breaks") << QByteArray(" \t\na  b\r\n ") << " \t\na  b\r\n "
                                               << "a  b";
    QTest::newRow("no-break and ideographic spaces")
        << QByteArray("&nbsp;\u3000a\u3000\u00a0") << "\u00a0\u3000a\u3000\u00a0"
        << "a";
    QTest::newRow("next line, line and paragraph separators")
        << QByteArray("\u0085\u2028a\u2029") << "\u0085\u2028a\u2029"
        << "a";
    QTest::newRow("zero-width space stays") << QByteArray("\u200ba\u200b") << "\u200ba\u200b"
                                            << "\u200ba\u200b";
    QTest::newRow("white space only") << QByteArray(" \n ") << " \n "
                                      << "";
}

void tst_XPathDocument::attributeValuesAreTrimmedTextIsNot() {
    QFETCH(QByteArray, value);
    QFETCH(QString, untrimmed);
    QFETCH(QString, trimmed);

    const QByteArray page =
        "<meta charset=utf-8><span title=\"" + value + "\">" + value + "</span>";
    const std::optional<List> found = XPathQuery::HtmlXPathSearch(page, "//span");
    QVERIFY(found && found->size() == 1);
    const Map span = found->first().toMap();
    const Map attribute = span["nodeAttributeArray"].toList().value(0).toMap();
    QCOMPARE(attribute, (Map{{"attributeName", "title"}, {"nodeContent", trimmed}}));
    QVERIFY(!attribute["nodeContent"].toString().isNull());
    QCOMPARE(span["nodeChildArray"].toList(), List{textChild(untrimmed)});
}

void tst_XPathDocument::matchesInDocumentOrderAsFreshElements() {
    const auto document =
        XPathDocument::documentWithHTMLData("<b>1</b><i>2</i><div><b>3</b></div><i>4</i>");
    const auto first = document.searchWithXPathQuery("//i | //b");
    const auto second = document.searchWithXPathQuery("//i | //b");
    QCOMPARE(texts(first), (QStringList{"1", "2", "3", "4"}));
    QCOMPARE(second.size(), first.size());
    for (qsizetype i = 0; i < first.size(); ++i) {
        QVERIFY(first[i] != second[i]);
        QCOMPARE(first[i]->description(), second[i]->description());
        QVERIFY(!first[i]->parent());
    }
    QCOMPARE(document.peekAtSearchWithXPathQuery("//i")->text(), "2");
}

void tst_XPathDocument::xmlAndHtmlParseTheSameBytesDifferently_data() {
    QTest::addColumn<bool>("isXML");
    QTest::addColumn<QString>("query");
    QTest::addColumn<QStringList>("raws");

    QTest::newRow("xml keeps case") << true << "//Item" << QStringList{"<Item>a</Item>"};
    QTest::newRow("html folds case") << false << "//Item" << QStringList{};
    QTest::newRow("html implies a body")
        << false << "/html/body/root/item" << QStringList{"<item>a</item>"};
    QTest::newRow("xml implies nothing") << true << "//body" << QStringList{};
}

void tst_XPathDocument::xmlAndHtmlParseTheSameBytesDifferently() {
    QFETCH(bool, isXML);
    QFETCH(QString, query);
    QFETCH(QStringList, raws);

    QStringList found;
    for (const auto &element :
         XPathDocument("<Root><Item>a</Item></Root>", isXML).searchWithXPathQuery(query))
        found << element->raw();
    QCOMPARE(found, raws);
}

void tst_XPathDocument::xmlModeRecoversWhatItCan() {
    LogCapture log;
    const auto unclosed = XPathDocument::documentWithXMLData("<r><a>1</a><b>2</r>");
    QCOMPARE(texts(unclosed.searchWithXPathQuery("/r/*")), (QStringList{"1", "2"}));
    QVERIFY(XPathDocument::documentWithXMLData("no markup").searchWithXPathQuery("//*").isEmpty());
    QVERIFY(log.texts().isEmpty());
}

void tst_XPathDocument::concurrentSearchesAgree() {
    QByteArray page = "<table class=\"stocksTable\">";
    for (int row = 0; row < 200; ++row)
        page += "<tr><td>" + QByteArray::number(row) + "</td><td>x</td></tr>";
    const auto document = XPathDocument::documentWithHTMLData(page + "</table>");
    const QString query = "//table[@class=\"stocksTable\"]/tr/td[1]";
    const QStringList expected = texts(document.searchWithXPathQuery(query));
    QCOMPARE(expected.size(), 200);

    std::atomic<int> mismatches = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 20; ++i)
                mismatches += texts(document.searchWithXPathQuery(query)) != expected;
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    QCOMPARE(mismatches.load(), 0);
}

QTEST_GUILESS_MAIN(tst_XPathDocument)
#include "tst_XPathDocument.moc"
