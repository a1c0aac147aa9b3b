#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// One fuzz input for quote-source files, which users share: the bytes are a source file, read
// and, when usable, run against a simulator quote page. A usable source forms an address for
// every kind of code, and its scrape leaves the record consistent.
class SourceFuzzCase {
public:
    explicit SourceFuzzCase(QByteArrayView input);

    // The first property the read or the scrape breaks, or a null string when they all hold.
    QString check() const;

private:
    QByteArray m_json;
};
