#pragma once

#include <QDateTime>
#include <QString>
#include <QTimeZone>

// A wall-clock time in Japan written as "2026-12-08T09:00:00", whatever the host's zone.
inline QDateTime japanTime(const QString &text) {
    const QDateTime parsed = QDateTime::fromString(text, Qt::ISODate);
    return QDateTime(parsed.date(), parsed.time(), QTimeZone(9 * 3600));
}
