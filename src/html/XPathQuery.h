#pragma once

#include <optional>

#include <QByteArray>
#include <QString>
#include <QVariantList>
#include <QVariantMap>

#include <libxml/tree.h>

// The query core of the HTML layer: parse, evaluate, convert matched nodes into
// NodeDictionary values (QVariantMap). std::nullopt stands for a failed step.
namespace XPathQuery {

std::optional<QVariantList> HtmlXPathSearch(const QByteArray &data, const QString &query);
std::optional<QVariantList> XmlXPathSearch(const QByteArray &data, const QString &query);
// Also fails when the matched nodes would convert to more markup than any real page holds.
std::optional<QVariantList> RunXPathOnDocument(xmlDocPtr document, const QString &query);
std::optional<QVariantMap> NodeDictionaryFromNode(xmlNodePtr node, QVariantMap *parent,
                                                  bool isAttributeValue);

} // namespace XPathQuery
