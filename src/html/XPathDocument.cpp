#include "XPathDocument.h"

#include <utility>

#include "XPathTree.h"

XPathDocument::XPathDocument(QByteArray data, bool isXML, QByteArray encoding)
    : m_data(std::move(data))
    , m_isXML(isXML)
    , m_encoding(std::move(encoding)) {}

XPathDocument XPathDocument::documentWithData(QByteArray data, bool isXML) {
    return XPathDocument(std::move(data), isXML);
}

XPathDocument XPathDocument::documentWithHTMLData(QByteArray data, QByteArray encoding) {
    return XPathDocument(std::move(data), false, std::move(encoding));
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
