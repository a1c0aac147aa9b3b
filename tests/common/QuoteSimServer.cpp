#include "QuoteSimServer.h"

#include <QByteArray>

QuoteSimServer::QuoteSimServer() {
    const QString program = qEnvironmentVariable("KABU_QUOTESIM");
    if (program.isEmpty())
        return;
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(program, {QStringLiteral("--port"), QStringLiteral("0")});
    if (!m_process.waitForStarted(5000))
        return;
    // The simulator prints its base URL as the first line once it accepts connections.
    while (!m_process.canReadLine() && m_process.waitForReadyRead(5000)) {
    }
    const QString line = QString::fromUtf8(m_process.readLine()).trimmed();
    if (line.startsWith(QStringLiteral("http://")))
        m_baseURL = line;
}

QuoteSimServer::~QuoteSimServer() {
    m_process.kill();
    m_process.waitForFinished(5000);
}
