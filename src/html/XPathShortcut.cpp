#include "XPathShortcut.h"

namespace {

// Names of ASCII letters, digits, '_', '-' and '.', without a prefix: all HTML has. Other names
// keep the original form.
bool isNameStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

bool isNameCharacter(char c) {
    return isNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

// Past a name starting at `at`; `at` itself when none starts there.
qsizetype skipName(const QByteArray &text, qsizetype at) {
    if (at >= text.size() || !isNameStart(text.at(at)))
        return at;
    while (at < text.size() && isNameCharacter(text.at(at)))
        ++at;
    return at;
}

qsizetype skipSpaces(const QByteArray &text, qsizetype at) {
    while (at < text.size() && (text.at(at) == ' ' || text.at(at) == '\t' || text.at(at) == '\n' ||
                                text.at(at) == '\r'))
        ++at;
    return at;
}

// Past `[@name = "literal"]` starting at `at`, or -1 when the text there is something else.
qsizetype skipAttributeEquality(const QByteArray &text, qsizetype at) {
    if (at + 1 >= text.size() || text.at(at) != '[' || text.at(at + 1) != '@')
        return -1;
    const qsizetype nameEnd = skipName(text, at + 2);
    if (nameEnd == at + 2)
        return -1;
    at = skipSpaces(text, nameEnd);
    if (at >= text.size() || text.at(at) != '=')
        return -1;
    at = skipSpaces(text, at + 1);
    if (at >= text.size() || (text.at(at) != '"' && text.at(at) != '\''))
        return -1;
    const qsizetype close = text.indexOf(text.at(at), at + 1);
    if (close < 0 || close + 1 >= text.size() || text.at(close + 1) != ']')
        return -1;
    return close + 2;
}

} // namespace

namespace XPathShortcut {

// `//` stands for /descendant-or-self::node()/, so `//NAME[p]` first gathers every node of the
// page and then looks at each one's children: libxml2 shortens that only when there is no
// predicate. An attribute compared with a literal is true or false whatever the node's position,
// so the predicate picks the same elements among all descendants of the root as among the
// children of each node. A further predicate would count positions among siblings, so only a
// path (or nothing) may follow.
QByteArray rewrite(const QByteArray &query) {
    if (!query.startsWith("//"))
        return query;
    const qsizetype nameEnd = query.startsWith("//*") ? 3 : skipName(query, 2);
    if (nameEnd == 2)
        return query;
    const qsizetype predicateEnd = skipAttributeEquality(query, nameEnd);
    if (predicateEnd < 0 || (predicateEnd < query.size() && query.at(predicateEnd) != '/'))
        return query;
    return "/descendant::" + query.mid(2);
}

} // namespace XPathShortcut
