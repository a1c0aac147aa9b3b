#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include <QByteArray>
#include <QString>

// A loopback TCP server that runs a test's script on each raw connection, one at a time, for
// the misbehaviour an HTTP library will not produce: silence, trickles, short bodies, resets.
class RawTcpServer {
public:
    class Connection {
    public:
        Connection(int socket, RawTcpServer &server);
        ~Connection();
        Connection(const Connection &) = delete;
        Connection &operator=(const Connection &) = delete;

        bool readRequest(); // up to the blank line that ends the request head
        bool send(const QByteArray &bytes);
        // Sleeps unless the server stops first; false once it stops.
        bool pause(std::chrono::milliseconds duration);
        // Holds the connection open, saying nothing, until the server stops.
        void holdUntilStopped() { pause(std::chrono::seconds(30)); }
        void reset(); // closes with a TCP reset instead of an orderly shutdown

    private:
        int m_socket;
        RawTcpServer &m_server;
    };
    using Script = std::function<void(Connection &)>;

    // Scripts most tests need. Each reads the request first.
    // Sends `bytes` as the whole answer, then closes the connection in an orderly way.
    static Script answering(const QByteArray &bytes);
    // Sends `head`, then says nothing more until the server stops.
    static Script silentAfter(const QByteArray &head);
    // Sends `head`, then `chunk` after every `interval`, at most `count` times.
    static Script trickling(const QByteArray &head, const QByteArray &chunk,
                            std::chrono::milliseconds interval, int count);

    explicit RawTcpServer(Script script);
    ~RawTcpServer();
    RawTcpServer(const RawTcpServer &) = delete;
    RawTcpServer &operator=(const RawTcpServer &) = delete;

    bool start();
    QString baseURL() const; // "http://127.0.0.1:PORT"
    int port() const { return m_port; }
    int connectionCount() const { return m_connections; }

private:
    void acceptLoop();
    bool waitForStop(std::chrono::milliseconds duration);

    Script m_script;
    int m_listener = -1;
    int m_port = -1;
    std::atomic<int> m_connections{0};
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_stopChanged;
    bool m_stopping = false;
};
