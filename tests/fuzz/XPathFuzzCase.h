#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

// One fuzz input for the query layer: the first byte picks a query out of queries(), the rest is
// a page, searched as HTML and as XML through the core and through XPathDocument.
class XPathFuzzCase {
public:
    explicit XPathFuzzCase(QByteArrayView input);

    // The queries the scraper runs, and odd ones that select every kind of node or no node set.
    static const QStringList &queries();

    // The first property the results break, or a null string when they all hold.
    QString check() const;

private:
    QString checkParsedAs(bool isXML) const;

    QString m_query;
    QByteArray m_page;
};
