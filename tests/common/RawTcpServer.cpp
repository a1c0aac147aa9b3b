#include "RawTcpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr auto pollInterval = std::chrono::milliseconds(50);
constexpr auto requestTimeout = std::chrono::seconds(5);
constexpr auto lifetimeLimit = std::chrono::seconds(120);

bool waitReadable(int socket, std::chrono::milliseconds timeout) {
    pollfd entry{socket, POLLIN, 0};
    return ::poll(&entry, 1, static_cast<int>(timeout.count())) > 0;
}

} // namespace

RawTcpServer::Connection::Connection(int socket, RawTcpServer &server)
    : m_socket(socket)
    , m_server(server) {}

RawTcpServer::Connection::~Connection() {
    if (m_socket >= 0)
        ::close(m_socket);
}

bool RawTcpServer::Connection::readRequest() {
    QByteArray head;
    const auto deadline = std::chrono::steady_clock::now() + requestTimeout;
    while (!head.contains("\r\n\r\n") && std::chrono::steady_clock::now() < deadline) {
        if (!waitReadable(m_socket, pollInterval))
            continue;
        char buffer[4096];
        const ssize_t n = ::recv(m_socket, buffer, sizeof buffer, 0);
        if (n <= 0)
            return false;
        head.append(buffer, n);
    }
    return head.contains("\r\n\r\n");
}

bool RawTcpServer::Connection::send(const QByteArray &bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            ::send(m_socket, bytes.constData() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

bool RawTcpServer::Connection::pause(std::chrono::milliseconds duration) {
    return !m_server.waitForStop(duration);
}

void RawTcpServer::Connection::reset() {
    const linger abortive{1, 0};
    ::setsockopt(m_socket, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
    ::close(m_socket);
    m_socket = -1;
}

RawTcpServer::Script RawTcpServer::answering(const QByteArray &bytes) {
    return [bytes](Connection &connection) {
        if (connection.readRequest())
            connection.send(bytes);
    };
}

RawTcpServer::Script RawTcpServer::silentAfter(const QByteArray &head) {
    return [head](Connection &connection) {
        if (connection.readRequest() && connection.send(head))
            connection.holdUntilStopped();
    };
}

RawTcpServer::Script RawTcpServer::trickling(const QByteArray &head, const QByteArray &chunk,
                                             std::chrono::milliseconds interval, int count) {
    return [=](Connection &connection) {
        if (!connection.readRequest() || !connection.send(head))
            return;
        for (int i = 0; i < count && connection.pause(interval) && connection.send(chunk); ++i) {
        }
    };
}

RawTcpServer::RawTcpServer(Script script)
    : m_script(std::move(script)) {}

RawTcpServer::~RawTcpServer() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_stopChanged.notify_all();
    if (m_thread.joinable())
        m_thread.join();
    if (m_listener >= 0)
        ::close(m_listener);
}

bool RawTcpServer::start() {
    m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (m_listener < 0 || ::bind(m_listener, reinterpret_cast<sockaddr *>(&address), length) != 0 ||
        ::listen(m_listener, 8) != 0 ||
        ::getsockname(m_listener, reinterpret_cast<sockaddr *>(&address), &length) != 0)
        return false;
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { acceptLoop(); });
    return true;
}

QString RawTcpServer::baseURL() const {
    return QStringLiteral("http://127.0.0.1:%1").arg(m_port);
}

void RawTcpServer::acceptLoop() {
    const auto deadline = std::chrono::steady_clock::now() + lifetimeLimit;
    while (!waitForStop(std::chrono::milliseconds(0)) &&
           std::chrono::steady_clock::now() < deadline) {
        if (!waitReadable(m_listener, pollInterval))
            continue;
        const int socket = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (socket < 0)
            continue;
        ++m_connections;
        Connection connection(socket, *this);
        m_script(connection);
    }
}

bool RawTcpServer::waitForStop(std::chrono::milliseconds duration) {
    std::unique_lock lock(m_mutex);
    return m_stopChanged.wait_for(lock, duration, [this] { return m_stopping; });
}
