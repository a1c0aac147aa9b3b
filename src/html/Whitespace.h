#pragma once

#include <QString>

// The white-space-and-newline set: Unicode category Z, U+0009..U+000D and U+0085.
namespace Whitespace {

bool isWhitespaceOrNewline(char32_t c);
// Removes characters of the set from both ends, nothing inside.
QString trimmed(const QString &text);

} // namespace Whitespace
