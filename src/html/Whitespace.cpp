#include "Whitespace.h"

#include <QChar>

namespace Whitespace {

bool isWhitespaceOrNewline(char32_t c) {
    if (c < 0x80)
        return c == u' ' || (c >= u'\t' && c <= u'\r');
    if (c == 0x85)
        return true;
    switch (QChar::category(c)) {
    case QChar::Separator_Space:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        return false;
    }
}

QString trimmed(const QString &text) {
    // Every member of the set lies in the BMP, so UTF-16 units can be tested one by one:
    // a surrogate half is never in the set.
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isWhitespaceOrNewline(text.at(begin).unicode()))
        ++begin;
    while (end > begin && isWhitespaceOrNewline(text.at(end - 1).unicode()))
        --end;
    if (begin == 0 && end == text.size())
        return text;
    return text.sliced(begin, end - begin);
}

} // namespace Whitespace
