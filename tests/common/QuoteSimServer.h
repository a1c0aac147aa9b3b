#pragma once

#include <sys/types.h>

#include <QByteArrayList>
#include <QString>

// The bundled quote-site simulator, started on a free loopback port for one test.
// Started with fork and exec rather than QProcess, whose vfork-style clone ThreadSanitizer
// cannot follow; the simulator dies with the test even when a sanitizer aborts it.
class QuoteSimServer {
public:
    // The extra arguments go to the simulator after "--port 0".
    explicit QuoteSimServer(const QByteArrayList &arguments = {});
    ~QuoteSimServer();
    QuoteSimServer(const QuoteSimServer &) = delete;
    QuoteSimServer &operator=(const QuoteSimServer &) = delete;

    bool isRunning() const { return !m_baseURL.isEmpty(); }
    QString baseURL() const { return m_baseURL; } // e.g. "http://127.0.0.1:40123"

private:
    pid_t m_pid = -1;
    QString m_baseURL;
};
