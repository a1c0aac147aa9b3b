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

// Null, after logging why, when the bytes make no document. An encoding, when given, is used
// for HTML instead of what the page declares.
Document ParseDocument(const QByteArray &data, bool isXML, const QByteArray &encoding = {});
std::optional<QVariantList> HtmlXPathSearch(const QByteArray &data, const QString &query);
std::optional<QVariantList> XmlXPathSearch(const QByteArray &data, const QString &query);
// Also fails when the matched nodes would convert to more markup than a page of `pageBytes`
// could hold; a document parsed elsewhere, without its byte count, gets the allowance of any page.
std::optional<QVariantList> RunXPathOnDocument(xmlDocPtr document, const QString &query,
                                               qsizetype pageBytes = 0);

// Whether libxml2 compiles the query; says nothing on stderr either way.
bool IsValidQuery(const QString &query);
// Whether libxml2 can read pages in the named encoding.
bool IsKnownEncoding(const QByteArray &name);

} // namespace XPathQuery
