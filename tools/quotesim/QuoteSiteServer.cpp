#include "QuoteSiteServer.h"

#include <thread>

#include "AnnexPage.h"
#include "QuoteSite.h"
#include "Throttle.h"

namespace {

constexpr const char *loopback = "127.0.0.1";

} // namespace

QuoteSiteServer::QuoteSiteServer(QuoteSite &site, Throttle &throttle)
    : m_site(site)
    , m_throttle(throttle) {
    m_server.Get("/stocks/detail/",
                 [this](const httplib::Request &request, httplib::Response &response) {
                     if (!throttled(response))
                         answer(m_site.detail(request.get_param_value("code")), response);
                 });
    m_server.Get("/requests", [this](const httplib::Request &, httplib::Response &response) {
        response.set_content(m_throttle.counts(), "text/plain");
    });
    m_server.Get(std::string(QuoteSite::movedPath),
                 [this](const httplib::Request &request, httplib::Response &response) {
                     answer(m_site.quotePage(request.get_param_value("code")), response);
                 });
    m_server.Get(std::string(AnnexPage::pathPrefix) + R"(([0-9A-Za-z]+)\.html)",
                 [this](const httplib::Request &request, httplib::Response &response) {
                     answer(m_site.annexPage(request.matches[1]), response);
                 });
    // An idle keep-alive connection would otherwise hold up stopping for the default 5 s.
    m_server.set_keep_alive_timeout(1);
}

int QuoteSiteServer::bind(int port) {
    if (port == 0)
        return m_server.bind_to_any_port(loopback);
    return m_server.bind_to_port(loopback, port) ? port : -1;
}

void QuoteSiteServer::serve() {
    m_server.listen_after_bind();
    m_served = true;
}

void QuoteSiteServer::stop() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_stopChanged.notify_all();
    // httplib ignores stop() until its accept loop runs, which serve() may not have reached yet.
    while (!m_server.is_running() && !m_served)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    m_server.stop();
}

void QuoteSiteServer::answer(const SitePage &page, httplib::Response &response) {
    if (!waitUnlessStopped(page.delay))
        return;
    response.status = page.status;
    if (!page.location.empty())
        response.set_header("Location", page.location);
    response.set_content(page.body, page.contentType.c_str());
}

bool QuoteSiteServer::throttled(httplib::Response &response) {
    const std::optional<long> retryAfter = m_throttle.admit();
    if (!retryAfter)
        return false;
    response.status = 429;
    response.set_header("Retry-After", std::to_string(*retryAfter));
    response.set_content("<html><head><title>429 Too Many Requests</title></head></html>",
                         "text/html; charset=UTF-8");
    return true;
}

bool QuoteSiteServer::waitUnlessStopped(std::chrono::seconds delay) {
    std::unique_lock lock(m_mutex);
    return !m_stopChanged.wait_for(lock, delay, [this] { return m_stopping; });
}
