#pragma once

#include <functional>

#include <QDateTime>
#include <QString>

// The program's diagnostic log: one line on stderr per call, stamped like
// "2026-12-07 09:00:00.123 kabu-ticker[4242] Unable to parse.".
class Log {
public:
    using Sink = std::function<void(const QString &line)>;

    static void write(const QString &text);
    static QString formatLine(const QDateTime &when, const QString &program, qint64 pid,
                              const QString &text);
    // Tests read what was logged; the returned sink is the one replaced.
    static Sink setSink(Sink sink);
};
