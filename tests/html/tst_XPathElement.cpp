#include <QTest>

#include <libxml/parser.h>

#include "XPathDocument.h"
#include "XPathElement.h"

using Elements = QList<std::shared_ptr<XPathElement>>;

namespace {

std::shared_ptr<XPathElement> first(const QByteArray &html, const QString &query) {
    return XPathDocument::documentWithHTMLData(html).peekAtSearchWithXPathQuery(query);
}

QStringList texts(const Elements &elements) {
    QStringList result;
    for (const auto &element : elements)
        result << element->text();
    return result;
}

} // namespace

class tst_XPathElement : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { xmlInitParser(); }
    void textIsTheFirstDirectTextChild_data();
    void textIsTheFirstDirectTextChild();
    void textNodesAndElementsNamedText();
    void attributes();
    void filteredChildren_data();
    void filteredChildren();
    void parentIsTheReceiverWhileItLives();
    void descriptionShowsNestedValues();
};

void tst_XPathElement::textIsTheFirstDirectTextChild_data() {
    QTest::addColumn<QByteArray>("html");
    QTest::addColumn<QString>("text");

    QTest::newRow("text only") << QByteArray("<p>\n  2,345 円 \n</p>") << "\n  2,345 円 \n";
    QTest::newRow("entities decoded")
        << QByteArray("<p>A &amp; B &lt;C&gt;&nbsp;</p>") << "A & B <C>\u00a0";
    QTest::newRow("only in a nested element") << QByteArray("<p><b>bold</b></p>") << QString();
    QTest::newRow("white space first") << QByteArray("<p> <b>bold</b>tail</p>") << " ";
    QTest::newRow("after a nested element") << QByteArray("<p><b>bold</b>tail</p>") << "tail";
    QTest::newRow("after a comment") << QByteArray("<p><!-- c -->after</p>") << "after";
    QTest::newRow("no children") << QByteArray("<p></p>") << QString();
    QTest::newRow("script holds no text node")
        << QByteArray("<p><script>x;</script></p>") << QString();
}

void tst_XPathElement::textIsTheFirstDirectTextChild() {
    QFETCH(QByteArray, html);
    QFETCH(QString, text);

    const auto element = first("<meta charset=utf-8>" + html, "//p");
    QVERIFY(element);
    QCOMPARE(element->text(), text);
    QCOMPARE(element->text().isNull(), text.isNull());
    QVERIFY(element->content().isNull());
}

void tst_XPathElement::textNodesAndElementsNamedText() {
    const auto cell = first("<table><tr><td>\n 1,234 </td></tr></table>", "//td");
    QCOMPARE(cell->tagName(), "td");
    QVERIFY(cell->hasChildren());
    QVERIFY(cell->firstTextChild()->isTextNode());

    const auto text = first("<p>one<b>two</b></p>", "//p/text()");
    QCOMPARE(text->tagName(), "text");
    QVERIFY(text->isTextNode());
    QCOMPARE(text->content(), "one");
    QVERIFY(!text->hasChildren());
    QVERIFY(text->children().isEmpty());
    QVERIFY(!text->firstChild());
    QVERIFY(!text->firstTextChild());
    QVERIFY(text->text().isNull());

    // With no text node, firstTextChild falls back to a child element named "text".
    const auto root = XPathDocument::documentWithXMLData("<r><b/><text>in</text></r>")
                          .peekAtSearchWithXPathQuery("/r");
    QCOMPARE(root->firstTextChild()->raw(), "<text>in</text>");
    QVERIFY(!root->firstTextChild()->isTextNode());
    QVERIFY(root->text().isNull());
}

void tst_XPathElement::attributes() {
    const auto line = first("<p>a<br>b</p>", "//br");
    QVERIFY(line->attributes().isEmpty());
    QVERIFY(line->objectForKey("class").isNull());

    const auto link = first("<a href=' /stocks/\n' data-flag title=''>x</a>", "//a");
    QCOMPARE(link->attributes(), (QVariantMap{{"href", "/stocks/"}, {"title", ""}}));
    QCOMPARE(link->objectForKey("href"), "/stocks/");
    QVERIFY(!link->objectForKey("title").isNull());
    QVERIFY(link->objectForKey("data-flag").isNull());
    QVERIFY(link->objectForKey("HREF").isNull());

    // A later attribute of the same name wins; a value that came as a node is left out.
    const auto made = XPathElement::elementWithNode(
        QVariantMap{{"nodeAttributeArray",
                     QVariantList{QVariantMap{{"attributeName", "a"}, {"nodeContent", "1"}},
                                  QVariantMap{{"attributeName", "b"},
                                              {"attributeContent", QVariantMap{{"nodeName", "e"}}}},
                                  QVariantMap{{"nodeContent", "nameless"}},
                                  QVariantMap{{"attributeName", "a"}, {"nodeContent", "2"}}}}});
    QCOMPARE(made->attributes(), (QVariantMap{{"a", "2"}}));
}

void tst_XPathElement::filteredChildren_data() {
    QTest::addColumn<bool>("byClass");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("texts");

    QTest::newRow("tag") << false << "li" << QStringList{"1", "2", "4", "none", "5"};
    QTest::newRow("other tag") << false << "p" << QStringList{"3"};
    QTest::newRow("tag is case-sensitive") << false << "LI" << QStringList{};
    QTest::newRow("empty tag") << false << "" << QStringList{};
    QTest::newRow("class") << true << "a" << QStringList{"2", "5"};
    QTest::newRow("whole class list") << true << "a b" << QStringList{"1"};
    QTest::newRow("one name of a list") << true << "b" << QStringList{};
    QTest::newRow("class trimmed") << true << "c" << QStringList{"3"};
    QTest::newRow("class is case-sensitive") << true << "A" << QStringList{};
    QTest::newRow("empty class, never a missing one") << true << "" << QStringList{"4"};
}

void tst_XPathElement::filteredChildren() {
    QFETCH(bool, byClass);
    QFETCH(QString, name);
    QFETCH(QStringList, texts);

    const auto list = first("<ul><li class='a b'>1</li><li class=a>2</li><p class=' c '>3</p>"
                            "<li class=''>4</li><li>none</li><li class='a'>5</li></ul>",
                            "//ul");
    const Elements all =
        byClass ? list->childrenWithClassName(name) : list->childrenWithTagName(name);
    const auto found =
        byClass ? list->firstChildWithClassName(name) : list->firstChildWithTagName(name);
    QCOMPARE(::texts(all), texts);
    QCOMPARE(found ? found->text() : QString(), texts.value(0));
    for (const auto &element : all)
        QCOMPARE(element->parent(), list);
}

void tst_XPathElement::parentIsTheReceiverWhileItLives() {
    auto paragraph = first("<p>t<b>x</b></p>", "//p");
    QVERIFY(!paragraph->parent());
    const Elements children = paragraph->children();
    QCOMPARE(children.size(), 2);
    for (const auto &child : children)
        QCOMPARE(child->parent(), paragraph);
    QVERIFY(paragraph->children().first() != children.first());
    QCOMPARE(paragraph->firstChild()->parent(), paragraph);
    QCOMPARE(paragraph->firstTextChild()->parent(), paragraph);

    const auto bold = children[1];
    const auto inner = bold->firstChild();
    QCOMPARE(inner->parent(), bold);
    inner->setParent(paragraph);
    QCOMPARE(inner->parent(), paragraph);
    paragraph.reset();
    QVERIFY(!inner->parent());
    QCOMPARE(bold->text(), "x");
}

void tst_XPathElement::descriptionShowsNestedValues() {
    const QString description = first("<p title=t>deep<b>in</b></p>", "//p")->description();
    for (const char *part : {"nodeAttributeArray", "title", "deep", "<b>in</b>"})
        QVERIFY2(description.contains(QLatin1String(part)), part);
}

QTEST_GUILESS_MAIN(tst_XPathElement)
#include "tst_XPathElement.moc"
