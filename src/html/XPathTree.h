#pragma once

#include <memory>

#include <QList>
#include <QString>

#include "XPathElement.h"
#include "XPathQuery.h"

class XPathDocument;

// A document's page parsed once, for several searches over the same tree. Each search returns
// what the same search on the document returns; the tree stays inside, freed with the object.
class XPathTree {
public:
    // A page that makes no document logs so once, and every search over it comes back empty.
    explicit XPathTree(const XPathDocument &document);

    QList<std::shared_ptr<XPathElement>> searchWithXPathQuery(const QString &query) const;
    std::shared_ptr<XPathElement> peekAtSearchWithXPathQuery(const QString &query) const;

private:
    XPathQuery::Document m_document;
    qsizetype m_pageBytes; // what the searches' conversion allowance is measured by
};
