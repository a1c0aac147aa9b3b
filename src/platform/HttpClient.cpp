#include "HttpClient.h"

#include <memory>
#include <utility>

#include "CurlLibrary.h"

namespace {

// Only reached once get() has the library.
const CurlLibrary &curl() {
    return *CurlLibrary::get();
}

struct CurlEasyCleanup {
    void operator()(CURL *easy) const { curl().easyCleanup(easy); }
};
using CurlEasy = std::unique_ptr<CURL, CurlEasyCleanup>;

struct CurlMultiCleanup {
    void operator()(CURLM *multi) const { curl().multiCleanup(multi); }
};
using CurlMulti = std::unique_ptr<CURLM, CurlMultiCleanup>;

struct CurlListFree {
    void operator()(curl_slist *list) const { curl().slistFreeAll(list); }
};
using CurlList = std::unique_ptr<curl_slist, CurlListFree>;

// How often an idle transfer looks at the cancel check; libcurl's own progress callback comes
// only about once a second then, too late for a prompt quit.
constexpr int kCancelPollMs = 100;

// What the callbacks of one transfer share with get().
struct Transfer {
    qint64 maxBodyBytes = 0;
    const std::function<bool()> &cancelled;
    QByteArray body;
    QMap<QByteArray, QByteArray> headers;
    bool overCap = false;
    bool wasCancelled = false;
};

// Called once per header line of every response, redirects included; a status line starts a
// new response, so only the last one's fields are kept.
size_t receiveHeader(char *data, size_t size, size_t count, void *userData) {
    auto *transfer = static_cast<Transfer *>(userData);
    const size_t length = size * count;
    const QByteArray line = QByteArray(data, static_cast<qsizetype>(length)).trimmed();
    const qsizetype colon = line.indexOf(':');
    if (line.startsWith("HTTP/"))
        transfer->headers.clear();
    else if (colon > 0)
        transfer->headers.insert(line.left(colon).trimmed().toLower(),
                                 line.mid(colon + 1).trimmed());
    return length;
}

size_t receiveBody(char *data, size_t size, size_t count, void *userData) {
    auto *transfer = static_cast<Transfer *>(userData);
    const size_t length = size * count;
    // curl hands over decompressed data here, so this is where the cap really holds.
    if (length > static_cast<size_t>(transfer->maxBodyBytes - transfer->body.size())) {
        transfer->overCap = true;
        return CURL_WRITEFUNC_ERROR;
    }
    transfer->body.append(data, static_cast<qsizetype>(length));
    return length;
}

int checkCancelled(void *userData, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto *transfer = static_cast<Transfer *>(userData);
    transfer->wasCancelled = transfer->cancelled && transfer->cancelled();
    return transfer->wasCancelled ? 1 : 0;
}

bool isFetchable(const QUrl &url) {
    const QString scheme = url.scheme();
    return url.isValid() && !url.host().isEmpty() &&
           (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

// A refused option could silently widen what a request may do (other protocols, no limits),
// so the request is not made unless every option was taken.
template <typename Value> bool setOption(CURL *easy, CURLoption option, Value value) {
    return curl().easySetopt(easy, option, value) == CURLE_OK;
}

HttpResponse failure(HttpFailure kind, QString error, long status = 0) {
    HttpResponse response;
    response.status = status;
    response.error = std::move(error);
    response.failure = kind;
    return response;
}

HttpFailure failureOf(CURLcode result) {
    switch (result) {
    case CURLE_UNSUPPORTED_PROTOCOL:
        return HttpFailure::NotHttp;
    case CURLE_COULDNT_RESOLVE_HOST:
        return HttpFailure::HostNotFound;
    case CURLE_COULDNT_CONNECT:
        return HttpFailure::ConnectionRefused;
    case CURLE_OPERATION_TIMEDOUT:
        return HttpFailure::TimedOut;
    case CURLE_FILESIZE_EXCEEDED:
        return HttpFailure::TooLarge;
    case CURLE_TOO_MANY_REDIRECTS:
        return HttpFailure::TooManyRedirects;
    default:
        return HttpFailure::Other;
    }
}

// The caller's fields as libcurl's list; a null list when there are none.
CurlList headerList(const HttpHeaders &headers) {
    CurlList list;
    for (const auto &[name, value] : headers) {
        curl_slist *longer = curl().slistAppend(list.get(), (name + ": " + value).constData());
        if (!longer)
            return {};
        (void)list.release(); // curl_slist_append extended the same list
        list.reset(longer);
    }
    return list;
}

bool configure(CURL *handle, const QUrl &url, const HttpClient::Options &options,
               const curl_slist *requestHeaders, Transfer &transfer, char *errorText) {
    const long stallSeconds = static_cast<long>(options.stallTimeout.count());
    return setOption(handle, CURLOPT_URL, url.toEncoded().constData()) &&
           setOption(handle, CURLOPT_PROTOCOLS_STR, "http,https") &&
           setOption(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https") &&
           setOption(handle, CURLOPT_FOLLOWLOCATION, 1L) &&
           setOption(handle, CURLOPT_MAXREDIRS, options.maxRedirects) &&
           setOption(handle, CURLOPT_NOSIGNAL, 1L) &&
           setOption(handle, CURLOPT_CONNECTTIMEOUT, stallSeconds) &&
           setOption(handle, CURLOPT_LOW_SPEED_LIMIT, 1L) &&
           setOption(handle, CURLOPT_LOW_SPEED_TIME, stallSeconds) &&
           setOption(handle, CURLOPT_TIMEOUT, static_cast<long>(options.totalTimeout.count())) &&
           setOption(handle, CURLOPT_MAXFILESIZE_LARGE,
                     static_cast<curl_off_t>(options.maxBodyBytes)) &&
           setOption(handle, CURLOPT_USERAGENT, HttpClient::userAgent().constData()) &&
           setOption(handle, CURLOPT_ACCEPT_ENCODING, "") &&
           setOption(handle, CURLOPT_ERRORBUFFER, errorText) &&
           setOption(handle, CURLOPT_WRITEFUNCTION, &receiveBody) &&
           setOption(handle, CURLOPT_WRITEDATA, &transfer) &&
           setOption(handle, CURLOPT_HEADERFUNCTION, &receiveHeader) &&
           setOption(handle, CURLOPT_HEADERDATA, &transfer) &&
           setOption(handle, CURLOPT_HTTPHEADER, requestHeaders) &&
           setOption(handle, CURLOPT_XFERINFOFUNCTION, &checkCancelled) &&
           setOption(handle, CURLOPT_XFERINFODATA, &transfer) &&
           setOption(handle, CURLOPT_NOPROGRESS, 0L);
}

// curl_easy_perform, but waking every kCancelPollMs to look at the cancel check.
CURLcode perform(CURL *easy, Transfer &transfer) {
    const CurlMulti multi(curl().multiInit());
    if (!multi || curl().multiAddHandle(multi.get(), easy) != CURLM_OK)
        return CURLE_FAILED_INIT;
    int running = 1;
    CURLMcode state = CURLM_OK;
    while (state == CURLM_OK && running > 0) {
        state = curl().multiPerform(multi.get(), &running);
        if (state == CURLM_OK && running > 0) {
            if (checkCancelled(&transfer, 0, 0, 0, 0))
                break;
            state = curl().multiPoll(multi.get(), nullptr, 0, kCancelPollMs, nullptr);
        }
    }
    CURLcode result = transfer.wasCancelled ? CURLE_ABORTED_BY_CALLBACK : CURLE_RECV_ERROR;
    int queued = 0;
    while (const CURLMsg *message = curl().multiInfoRead(multi.get(), &queued)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == easy)
            result = message->data.result;
    }
    curl().multiRemoveHandle(multi.get(), easy);
    return result;
}

// A transfer that failed after its status arrived keeps that answer's header fields: a 429 or
// 503 cut short still says when to come back.
HttpResponse failedTransfer(HttpFailure kind, QString error, long status, Transfer &transfer) {
    HttpResponse response = failure(kind, std::move(error), status);
    if (status != 0)
        response.headers = std::move(transfer.headers);
    return response;
}

HttpResponse outcome(CURLcode result, long status, Transfer &transfer, const char *errorText) {
    if (transfer.overCap)
        return failedTransfer(
            HttpFailure::TooLarge,
            QStringLiteral("body larger than %1 bytes").arg(transfer.maxBodyBytes), status,
            transfer);
    if (transfer.wasCancelled)
        return failedTransfer(HttpFailure::Cancelled, QStringLiteral("cancelled"), status,
                              transfer);
    if (result != CURLE_OK)
        return failedTransfer(
            failureOf(result),
            QString::fromUtf8(errorText[0] != '\0' ? errorText : curl().easyStrerror(result)),
            status, transfer);
    HttpResponse response;
    response.ok = true;
    response.status = status;
    response.body = std::move(transfer.body);
    response.headers = std::move(transfer.headers);
    return response;
}

} // namespace

HttpClient::HttpClient()
    : HttpClient(Options{}) {}

HttpClient::HttpClient(Options options)
    : m_options(std::move(options)) {}

bool HttpClient::globalInit() {
    return CurlLibrary::get() != nullptr;
}

QByteArray HttpClient::userAgent() {
    return QByteArrayLiteral(KABU_PROGRAM_NAME "/" KABU_VERSION);
}

HttpResponse HttpClient::get(const QUrl &url, const HttpHeaders &requestHeaders) const {
    if (!isFetchable(url))
        return failure(HttpFailure::NotHttp,
                       QStringLiteral("not an http or https URL: %1").arg(url.toString()));
    if (!globalInit())
        return failure(HttpFailure::Other, QStringLiteral("libcurl could not be loaded"));
    const CurlEasy easy(curl().easyInit());
    const CurlList headers = headerList(requestHeaders);
    if (!easy || (!requestHeaders.isEmpty() && !headers))
        return failure(HttpFailure::Other, QStringLiteral("libcurl could not be set up"));
    Transfer transfer{m_options.maxBodyBytes, m_options.cancelled, {}, {}, false, false};
    char errorText[CURL_ERROR_SIZE] = {};
    if (!configure(easy.get(), url, m_options, headers.get(), transfer, errorText))
        return failure(HttpFailure::Other, QStringLiteral("libcurl refused an option"));
    const CURLcode result = perform(easy.get(), transfer);
    long status = 0;
    curl().easyGetinfo(easy.get(), CURLINFO_RESPONSE_CODE, &status);
    return outcome(result, status, transfer, errorText);
}
