#pragma once

#include <QByteArrayView>
#include <QString>

// The entries of a settings key kept one per security ("CODE;key=value;..."), one per line of a
// fuzz input, read by Book::parseEntry. An entry read is one the sheet would accept, and what
// would be saved of it reads back the same. The first broken property, or a null string.
template <typename Book, typename Value>
QString settingsEntryProblem(QByteArrayView input, bool (*accepted)(const Value &)) {
    for (const QString &text : QString::fromUtf8(input).split(u'\n')) {
        const auto parsed = Book::parseEntry(text);
        if (!parsed)
            continue;
        if (parsed->first.isEmpty() || !accepted(parsed->second))
            return QStringLiteral("read an entry the sheet would refuse: '%1'").arg(text);
        const QString saved = Book::entry(parsed->first, parsed->second);
        if (Book::parseEntry(saved) != parsed)
            return QStringLiteral("'%1' saved as '%2' reads back otherwise").arg(text, saved);
    }
    return QString();
}
