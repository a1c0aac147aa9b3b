#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// One fuzz input for the stored alert rules: the bytes, in UTF-8, are the entries of the alerts
// key, one per line (see settingsEntryProblem).
class AlertKeyFuzzCase {
public:
    explicit AlertKeyFuzzCase(QByteArrayView input);

    // The first property the reading breaks, or a null string when they all hold.
    QString check() const;

private:
    QByteArray m_entries;
};
