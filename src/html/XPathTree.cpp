#include "XPathTree.h"

#include "XPathDocument.h"

XPathTree::XPathTree(const XPathDocument &document)
    : m_document(XPathQuery::ParseDocument(document.data(), document.isXML(), document.encoding()))
    , m_pageBytes(document.data().size()) {}

QList<std::shared_ptr<XPathElement>> XPathTree::searchWithXPathQuery(const QString &query) const {
    QList<std::shared_ptr<XPathElement>> elements;
    if (!m_document)
        return elements;
    const std::optional<QVariantList> nodes =
        XPathQuery::RunXPathOnDocument(m_document.get(), query, m_pageBytes);
    if (!nodes)
        return elements;
    elements.reserve(nodes->size());
    for (const QVariant &node : *nodes)
        elements.append(XPathElement::elementWithNode(node.toMap()));
    return elements;
}

std::shared_ptr<XPathElement> XPathTree::peekAtSearchWithXPathQuery(const QString &query) const {
    const QList<std::shared_ptr<XPathElement>> elements = searchWithXPathQuery(query);
    return elements.isEmpty() ? nullptr : elements.first();
}
