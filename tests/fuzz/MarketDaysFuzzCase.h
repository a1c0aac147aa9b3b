#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// One fuzz input for the user's market-days.txt: the bytes are the file. Reading it ends, and
// names each line it ignores once, on one log line, in file order.
class MarketDaysFuzzCase {
public:
    explicit MarketDaysFuzzCase(QByteArrayView input);

    // The first property the read breaks, or a null string when they all hold.
    QString check() const;

private:
    QByteArray m_file;
};
