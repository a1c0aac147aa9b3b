#include "XPathDocument.h"

#include <utility>

#include "XPathQuery.h"

XPathDocument::XPathDocument(QByteArray data, bool isXML)
    : m_data(std::move(data))
    , m_isXML(isXML) {}

XPathDocument XPathDocument::documentWithData(QByteArray data, bool isXML) {
    return XPathDocument(std::move(data), isXML);
}

XPathDocument XPathDocument::documentWithHTMLData(QByteArray data) {
    return documentWithData(std::move(data), false);
}

XPathDocument XPathDocument::documentWithXMLData(QByteArray data) {
    return documentWithData(std::move(data), true);
}

QList<std::shared_ptr<XPathElement>>
XPathDocument::searchWithXPathQuery(const QString &query) const {
    const std::optional<QVariantList> nodes = m_isXML ? XPathQuery::XmlXPathSearch(m_data, query)
                                                      : XPathQuery::HtmlXPathSearch(m_data, query);
    QList<std::shared_ptr<XPathElement>> elements;
    if (!nodes)
        return elements;
    elements.reserve(nodes->size());
    for (const QVariant &node : *nodes)
        elements.append(XPathElement::elementWithNode(node.toMap()));
    return elements;
}

std::shared_ptr<XPathElement>
XPathDocument::peekAtSearchWithXPathQuery(const QString &query) const {
    const QList<std::shared_ptr<XPathElement>> elements = searchWithXPathQuery(query);
    return elements.isEmpty() ? nullptr : elements.first();
}
