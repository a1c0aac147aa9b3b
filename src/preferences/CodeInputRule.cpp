#include "CodeInputRule.h"

#include <QRegularExpression>

CodeInputRule::Outcome CodeInputRule::afterEdit(const QString &edited, const QString &remembered) {
    // A fifth unit, typed or pasted, undoes the whole edit rather than cutting it short.
    const QString text = edited.size() > kCodeLength ? remembered : edited;
    return {text, isCode(text)};
}

bool CodeInputRule::isCode(const QString &text) {
    // The length comes first: "$" would also match before a final line break. [0-9] is ASCII only:
    // full-width and other scripts' digits are not codes. The case option is the pattern's own and
    // changes nothing for digits.
    static const QRegularExpression pattern(QStringLiteral("^[0-9]{4}$"),
                                            QRegularExpression::CaseInsensitiveOption);
    return text.size() == kCodeLength && pattern.match(text).hasMatch();
}
