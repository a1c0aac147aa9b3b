#pragma once

#include <QStringList>

// List n of the killed-save series: its own number, then over a thousand codes that depend on n,
// so that a file cut short or mixed from two saves cannot pass for any list of the series.
inline QStringList saveSeriesList(qint64 n) {
    QStringList codes{QString::number(n)};
    const qint64 count = 1200 + n % 400;
    for (qint64 k = 0; k < count; ++k)
        codes.append(
            QStringLiteral("%1").arg((n * 7919 + k * 104729) % 10000, 4, 10, QLatin1Char('0')));
    return codes;
}

// The number of the series list that codes are, or -1 when they are none of them.
inline qint64 saveSeriesNumber(const QStringList &codes) {
    bool isNumber = false;
    const qint64 n = codes.value(0).toLongLong(&isNumber);
    return isNumber && codes == saveSeriesList(n) ? n : -1;
}
