#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// One fuzz input for the scraper: the bytes are the fetched quote page of a record that already
// holds a good quote. The update must keep the record consistent and its display texts sound.
class ScrapeFuzzCase {
public:
    explicit ScrapeFuzzCase(QByteArrayView input);

    // The first property the scrape breaks, or a null string when they all hold.
    QString check() const;

private:
    QByteArray m_page;
};
