#pragma once

#include <QByteArray>

// A query that libxml2 would answer by walking the page twice, put in a form it answers in one
// walk and that selects the same nodes in the same order.
namespace XPathShortcut {

// `//NAME[@ATTRIBUTE="text"]` (NAME may be `*`) followed by nothing or a `/` path becomes
// `/descendant::NAME[@ATTRIBUTE="text"]` with the same rest; any other query comes back as it is.
QByteArray rewrite(const QByteArray &query);

} // namespace XPathShortcut
