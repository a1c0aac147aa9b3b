#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// One fuzz input for the stored holdings: the bytes, in UTF-8, are the entries of the holdings
// key, one per line (see settingsEntryProblem).
class HoldingKeyFuzzCase {
public:
    explicit HoldingKeyFuzzCase(QByteArrayView input);

    // The first property the reading breaks, or a null string when they all hold.
    QString check() const;

private:
    QByteArray m_entries;
};
