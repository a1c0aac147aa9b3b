#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include <httplib.h>

class QuoteSite;
class Throttle;
struct SitePage;

// Serves a QuoteSite over HTTP on 127.0.0.1 until stopped.
class QuoteSiteServer {
public:
    // The throttle stands between the clients and the quote pages; GET /requests reports it.
    QuoteSiteServer(QuoteSite &site, Throttle &throttle);

    int bind(int port); // 0 picks a free port; returns the port or -1
    void serve();       // blocks until stop()
    void stop();        // from any thread; also cuts short a slow answer's wait

private:
    void answer(const SitePage &page, httplib::Response &response);
    bool throttled(httplib::Response &response);
    bool waitUnlessStopped(std::chrono::seconds delay);

    QuoteSite &m_site;
    Throttle &m_throttle;
    httplib::Server m_server;
    std::mutex m_mutex;
    std::condition_variable m_stopChanged;
    bool m_stopping = false;
    std::atomic<bool> m_served{false};
};
