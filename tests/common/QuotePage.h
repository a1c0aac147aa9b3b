#pragma once

#include <QByteArray>
#include <QString>

// A quote page as the site serves it: price in the second cell, previous close and volume
// in the first and fifth figures.
inline QByteArray quotePage(const QString &code, const QString &name, const QString &price,
                            const QString &prevClose,
                            const QString &volume = QStringLiteral("1,000")) {
    QString figures;
    for (const QString &figure : {prevClose, QString("0"), QString("0"), QString("0"), volume})
        figures += QStringLiteral("<div><dl><dd><strong>%1</strong></dd></dl></div>").arg(figure);
    return QStringLiteral("<html><head><title>%1\u3010%2\u3011detail</title></head><body>"
                          "<table class=\"stocksTable\"><tr><td>%2</td><td>%3</td></tr></table>"
                          "<div class=\"innerDate\">%4</div></body></html>")
        .arg(name, code, price, figures)
        .toUtf8();
}
