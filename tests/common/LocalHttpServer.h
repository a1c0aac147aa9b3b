#pragma once

#include <memory>
#include <thread>

#include <QString>

#include <httplib.h>

// An in-test HTTP server on a free loopback port; routes are set on server() before start().
class LocalHttpServer {
public:
    LocalHttpServer();
    ~LocalHttpServer();
    LocalHttpServer(const LocalHttpServer &) = delete;
    LocalHttpServer &operator=(const LocalHttpServer &) = delete;

    httplib::Server &server() { return m_server; }
    bool start();
    int port() const { return m_port; }
    QString baseURL() const; // "http://127.0.0.1:PORT"

private:
    httplib::Server m_server;
    std::thread m_thread;
    int m_port = -1;
};
