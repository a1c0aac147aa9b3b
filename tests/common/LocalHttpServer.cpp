#include "LocalHttpServer.h"

LocalHttpServer::LocalHttpServer() = default;

LocalHttpServer::~LocalHttpServer() {
    m_server.stop();
    if (m_thread.joinable())
        m_thread.join();
}

bool LocalHttpServer::start() {
    m_port = m_server.bind_to_any_port("127.0.0.1");
    if (m_port <= 0)
        return false;
    // The socket already listens, so clients may connect before the accept loop runs.
    m_thread = std::thread([this] { m_server.listen_after_bind(); });
    return true;
}

QString LocalHttpServer::baseURL() const {
    return QStringLiteral("http://127.0.0.1:%1").arg(m_port);
}
