#include "XPathDocument.h"

#include <utility>

#include "XPathTree.h"

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
    return XPathTree(*this).searchWithXPathQuery(query);
}

std::shared_ptr<XPathElement>
XPathDocument::peekAtSearchWithXPathQuery(const QString &query) const {
    return XPathTree(*this).peekAtSearchWithXPathQuery(query);
}
