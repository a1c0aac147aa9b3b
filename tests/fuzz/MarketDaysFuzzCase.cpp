#include "MarketDaysFuzzCase.h"

#include <QBuffer>
#include <QRegularExpression>
#include <QStringList>

#include "Log.h"
#include "MarketCalendar.h"

MarketDaysFuzzCase::MarketDaysFuzzCase(QByteArrayView input)
    : m_file(input.toByteArray()) {}

QString MarketDaysFuzzCase::check() const {
    QStringList logged;
    const Log::Sink previous =
        Log::setSink([&logged](const QString &text) { logged.append(text); });
    QBuffer file;
    file.setData(m_file);
    file.open(QIODevice::ReadOnly | QIODevice::Text);
    MarketCalendar::read(file, QStringLiteral("market-days.txt"));
    Log::setSink(previous);

    // After the log's stamp; \z, unlike $, does not match before a final line break.
    static const QRegularExpression lineNumber(
        QStringLiteral("^[^\\n]*\\] market-days\\.txt: line ([1-9][0-9]*) ignored: [^\\n]*\\z"));
    int last = 0;
    for (const QString &text : logged) {
        const QRegularExpressionMatch match = lineNumber.match(text);
        if (!match.hasMatch())
            return QStringLiteral("not one line naming a line: '%1'").arg(text);
        const int number = match.captured(1).toInt();
        if (number <= last || number > m_file.count('\n') + 1)
            return QStringLiteral("line %1 named after line %2").arg(number).arg(last);
        last = number;
    }
    return QString();
}
