#pragma once

#include <QString>
#include <QVariantMap>

// What every NodeDictionary the query core returns must look like, whatever the page: no null
// entry, no empty array, text children of exactly two entries, attribute values trimmed.
namespace NodeShape {

// The first rule the dictionary (and everything nested in it) breaks, or a null string.
QString problemIn(const QVariantMap &node);

} // namespace NodeShape
