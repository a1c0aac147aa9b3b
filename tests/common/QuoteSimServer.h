#pragma once

#include <QProcess>
#include <QString>

// The bundled quote-site simulator, started on a free loopback port for one test.
class QuoteSimServer {
public:
    QuoteSimServer();
    ~QuoteSimServer();
    QuoteSimServer(const QuoteSimServer &) = delete;
    QuoteSimServer &operator=(const QuoteSimServer &) = delete;

    bool isRunning() const { return !m_baseURL.isEmpty(); }
    QString baseURL() const { return m_baseURL; } // e.g. "http://127.0.0.1:40123"

private:
    QProcess m_process;
    QString m_baseURL;
};
