#include "XPathFuzzCase.h"

#include <memory>
#include <optional>

#include "NodeDictionary.h"
#include "NodeShape.h"
#include "XPathDocument.h"
#include "XPathQuery.h"

namespace {

using Elements = QList<std::shared_ptr<XPathElement>>;
using CoreResult = std::optional<QVariantList>;

// Children are made afresh on every call, so the walk below them is kept shallow.
constexpr qsizetype kElementsWalked = 16;

QString elementProblem(const std::shared_ptr<XPathElement> &element) {
    const Elements children = element->children();
    if (element->hasChildren() == children.isEmpty())
        return QStringLiteral("hasChildren disagrees with children");
    for (const auto &child : children) {
        if (child->parent() != element)
            return QStringLiteral("a child does not report its parent");
    }
    return QString();
}

// The elements of XPathDocument stand for exactly the dictionaries the core returned.
QString elementsProblem(const Elements &elements, const CoreResult &core) {
    const QVariantList nodes = core.value_or(QVariantList());
    if (elements.size() != nodes.size())
        return QStringLiteral("%1 elements for %2 nodes").arg(elements.size()).arg(nodes.size());
    for (qsizetype i = 0; i < nodes.size(); ++i) {
        const QVariantMap node = nodes.at(i).toMap();
        if (const QString shape = NodeShape::problemIn(node); !shape.isNull())
            return QStringLiteral("node %1: %2").arg(i).arg(shape);
        const auto &element = elements.at(i);
        if (element->raw() != node.value(NodeDictionary::rawKey).toString() ||
            element->tagName() != node.value(NodeDictionary::nodeNameKey).toString())
            return QStringLiteral("element %1 differs from its node").arg(i);
        if (i >= kElementsWalked)
            continue;
        if (const QString found = elementProblem(element); !found.isNull())
            return QStringLiteral("element %1: %2").arg(i).arg(found);
    }
    return QString();
}

QString peekProblem(const std::shared_ptr<XPathElement> &peeked, const Elements &elements) {
    if (!peeked)
        return elements.isEmpty() ? QString() : QStringLiteral("peek found nothing");
    if (elements.isEmpty() || peeked->raw() != elements.first()->raw())
        return QStringLiteral("peek is not the first element");
    return QString();
}

} // namespace

XPathFuzzCase::XPathFuzzCase(QByteArrayView input) {
    const auto choice = input.isEmpty() ? 0 : static_cast<unsigned char>(input.front());
    m_query = queries().at(choice % queries().size());
    m_page = input.isEmpty() ? QByteArray() : input.sliced(1).toByteArray();
}

const QStringList &XPathFuzzCase::queries() {
    static const QStringList all{
        QStringLiteral("//title"),
        QStringLiteral("//table[@class=\"stocksTable\"]/tr/td"),
        QStringLiteral("//div[@class=\"innerDate\"]/div/dl/dd/strong"),
        QStringLiteral("//*"),
        QStringLiteral("//@*"),
        QStringLiteral("//text()"),
        QStringLiteral("//comment() | //processing-instruction()"),
        QStringLiteral("//namespace::*"),
        QStringLiteral("/"),
        QStringLiteral("/descendant-or-self::node()"),
        QStringLiteral("//@*/node()"),
        QStringLiteral("//*[@class]/ancestor-or-self::*[1]"),
        QStringLiteral("(//td)[last()]/preceding-sibling::node()"),
        QStringLiteral("id('main')"),
        QStringLiteral("//*[local-name()='title']/.."),
        QStringLiteral("count(//*)"),
        QStringLiteral("string(//title)"),
        QStringLiteral("//*["),
        QStringLiteral(""),
    };
    return all;
}

QString XPathFuzzCase::check() const {
    if (const QString html = checkParsedAs(false); !html.isNull())
        return QStringLiteral("as HTML, %1: %2").arg(m_query, html);
    if (const QString xml = checkParsedAs(true); !xml.isNull())
        return QStringLiteral("as XML, %1: %2").arg(m_query, xml);
    return QString();
}

QString XPathFuzzCase::checkParsedAs(bool isXML) const {
    const CoreResult core = isXML ? XPathQuery::XmlXPathSearch(m_page, m_query)
                                  : XPathQuery::HtmlXPathSearch(m_page, m_query);
    const XPathDocument document(m_page, isXML);
    const Elements elements = document.searchWithXPathQuery(m_query);
    if (const QString found = elementsProblem(elements, core); !found.isNull())
        return found;
    return peekProblem(document.peekAtSearchWithXPathQuery(m_query), elements);
}
