#include <QTest>

#include <libxml/parser.h>

#include "LogCapture.h"
#include "XPathDocument.h"
#include "XPathTree.h"

namespace {

// The same search twice: each has the whole conversion allowance of the page to itself.
const QStringList queries{"//title", "//td", "//body", "//body"};

QStringList raws(const QList<std::shared_ptr<XPathElement>> &elements) {
    QStringList result;
    for (const auto &element : elements)
        result << element->raw();
    return result;
}

} // namespace

// One parse for several searches answers each as a fresh parse of the same page does.
class tst_XPathTree : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { xmlInitParser(); }

    void searchesAnswerAsFreshParses_data() {
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<QStringList>("log"); // what the tree writes for all the searches
        QTest::newRow("quote page")
            << QByteArray("<html><head><title>A\xe3\x80\x90"
                          "1234\xe3\x80\x91</title></head><body><table><tr><td>1</td>"
                          "<td>1,500</td></tr></table></body></html>")
            << QStringList();
        // 髙 and ① exist only in code page 932, which stands in for Shift_JIS.
        QTest::newRow("Shift_JIS") << QByteArray("<html><head><meta charset=\"Shift_JIS\">"
                                                 "<title>\xfb\xfc\x87\x40</title></head>"
                                                 "<body><td>\x82\xa0</td></body></html>")
                                   << QStringList();
        // Each //body converts three times the page: under the allowance, not under two.
        QTest::newRow("every search near the allowance")
            << "<body><div>" + QByteArray(10'000'000, 'x') + "</div></body>" << QStringList();
        QTest::newRow("no document") << QByteArray() << QStringList{"Unable to parse."};
    }
    void searchesAnswerAsFreshParses() {
        QFETCH(QByteArray, page);
        QFETCH(QStringList, log);
        LogCapture capture;
        const XPathTree tree(XPathDocument::documentWithHTMLData(page));
        QList<QStringList> once;
        for (const QString &query : queries)
            once << raws(tree.searchWithXPathQuery(query));
        QCOMPARE(capture.texts(), log);
        for (qsizetype i = 0; i < queries.size(); ++i) {
            const auto fresh =
                XPathDocument::documentWithHTMLData(page).searchWithXPathQuery(queries.at(i));
            QCOMPARE(once.at(i), raws(fresh));
        }
        QCOMPARE(once.at(2).isEmpty(), page.isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_XPathTree)
#include "tst_XPathTree.moc"
