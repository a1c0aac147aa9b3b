#pragma once

#include <QString>

// The keys of a NodeDictionary, the QVariantMap that stands for one parsed node, and of the
// attribute dictionaries inside it. The query core writes them; XPathElement reads them.
namespace NodeDictionary {

inline const QString nodeNameKey = QStringLiteral("nodeName");
inline const QString nodeContentKey = QStringLiteral("nodeContent");
inline const QString nodeAttributeArrayKey = QStringLiteral("nodeAttributeArray");
inline const QString nodeChildArrayKey = QStringLiteral("nodeChildArray");
inline const QString rawKey = QStringLiteral("raw");
inline const QString attributeNameKey = QStringLiteral("attributeName");
inline const QString attributeContentKey = QStringLiteral("attributeContent");
// The name libxml2 gives text nodes.
inline const QString textName = QStringLiteral("text");

} // namespace NodeDictionary
