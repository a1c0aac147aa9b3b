#pragma once

#include <memory>

#include <QByteArray>
#include <QList>
#include <QString>

#include "XPathElement.h"

// The bytes of one HTML or XML page and the XPath searches over them.
// Keeps no parsed tree: every search parses afresh and returns plain values (XPathTree parses
// once for several searches).
class XPathDocument {
public:
    // An encoding, when given, is used for HTML instead of what the page declares.
    XPathDocument(QByteArray data, bool isXML, QByteArray encoding = {});

    static XPathDocument documentWithData(QByteArray data, bool isXML);
    static XPathDocument documentWithHTMLData(QByteArray data, QByteArray encoding = {});
    static XPathDocument documentWithXMLData(QByteArray data);

    // One element per matched node, in node-set order; empty on any failure.
    QList<std::shared_ptr<XPathElement>> searchWithXPathQuery(const QString &query) const;
    std::shared_ptr<XPathElement> peekAtSearchWithXPathQuery(const QString &query) const;

    const QByteArray &data() const { return m_data; }
    bool isXML() const { return m_isXML; }
    const QByteArray &encoding() const { return m_encoding; }

private:
    QByteArray m_data;
    bool m_isXML;
    QByteArray m_encoding;
};
