#pragma once

#include <memory>
#include <optional>

#include <QByteArray>
#include <QString>
#include <QVariantList>
#include <QVariantMap>

#include <libxml/tree.h>

// The query core of the HTML layer: parse, evaluate, convert matched nodes into
// NodeDictionary values (QVariantMap). std::nullopt stands for a failed step.
namespace XPathQuery {

struct DocumentRelease {
    void operator()(xmlDocPtr document) const;
};
using Document = std::unique_ptr<xmlDoc, DocumentRelease>;

// Null, after logging why, when the bytes make no document.
Document ParseDocument(const QByteArray &data, bool isXML);
std::optional<QVariantList> HtmlXPathSearch(const QByteArray &data, const QString &query);
std::optional<QVariantList> XmlXPathSearch(const QByteArray &data, const QString &query);
// Also fails when the matched nodes would convert to more markup than a page of `pageBytes`
// could hold; a document parsed elsewhere, without its byte count, gets the allowance of any page.
std::optional<QVariantList> RunXPathOnDocument(xmlDocPtr document, const QString &query,
                                               qsizetype pageBytes = 0);

} // namespace XPathQuery
