#pragma once

#include <chrono>
#include <functional>

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QPair>
#include <QString>
#include <QUrl>

// Why a request brought no complete body, in the words a user can be told.
enum class HttpFailure {
    None,
    NotHttp,      // not an http or https address, or a redirect to another scheme
    HostNotFound, // the name did not resolve
    ConnectionRefused,
    TimedOut, // the stall or the total limit ran out
    TooLarge, // the body passed the cap
    TooManyRedirects,
    Cancelled,
    Other, // a broken or reset connection, a malformed answer
};

using HttpHeaders = QList<QPair<QByteArray, QByteArray>>;

// Blocking HTTP GET over libcurl, as a value: a URL in, an HttpResponse out.
// Follows redirects, speaks only http and https, and never hangs for long on a dead server.
struct HttpResponse {
    bool ok = false;                         // a complete body arrived (whatever the HTTP status)
    long status = 0;                         // last HTTP status seen, 0 when none
    QByteArray body;                         // empty unless ok
    QString error;                           // why it failed, for diagnostics only
    HttpFailure failure = HttpFailure::None; // None exactly when ok
    // The last response's header fields, names in lower case; a repeated field keeps its last.
    QMap<QByteArray, QByteArray> headers;
};

class HttpClient {
public:
    struct Options {
        std::chrono::seconds stallTimeout{60};  // give up after this long without progress
        std::chrono::seconds totalTimeout{300}; // and after this long in all
        qint64 maxBodyBytes = 16 * 1024 * 1024; // after decompression; more is a failure
        long maxRedirects = 10;
        // Polled at least every tenth of a second during a transfer; true aborts it as a
        // failure.
        std::function<bool()> cancelled;
    };

    HttpClient();
    explicit HttpClient(Options options);

    // Blocks until the body has arrived or the request failed; safe to call from any thread.
    // The extra request headers (for conditional requests) go out beside the client's own.
    HttpResponse get(const QUrl &url, const HttpHeaders &requestHeaders = {}) const;

    // Loads and sets up libcurl now rather than at the first request (later calls do nothing);
    // false when it cannot be loaded, and every request then fails.
    static bool globalInit();
    static QByteArray userAgent(); // "kabu-ticker/0.1.0"

private:
    Options m_options;
};
