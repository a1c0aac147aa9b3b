#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>

#include <QDateTime>
#include <QString>
#include <QUrl>

#include "HttpClient.h"
#include "QuoteSource.h"
#include "UpdateFailure.h"

class FetchPolicy;
class XPathTree;

// One watched security: its code and the last quote scraped from its quote page.
// Safe to read from any thread while update() runs on a background thread.
class Stock {
public:
    // Read from the built-in source of the site at baseURL.
    explicit Stock(QString code, QString baseURL = quoteSiteBaseURL());
    Stock(QString code, std::shared_ptr<const QuoteSource> source);
    Stock(const Stock &) = delete;
    Stock &operator=(const Stock &) = delete;

    // The quote site fixed at build time, scheme and host without a trailing slash.
    static QString quoteSiteBaseURL();

    const QString &code() const { return m_code; }
    QString name() const;
    int64_t quote() const { return m_quote.load(); }
    int64_t prev_close() const { return m_prev_close.load(); }
    int64_t volume() const { return m_volume.load(); }
    QDateTime updated_at() const; // null until the first fully successful update
    // Price, previous close and update time as one snapshot, taken under the lock an update
    // writes them under.
    struct Quote {
        int64_t price = 0;
        int64_t prevClose = 0;
        QDateTime updatedAt;
    };
    Quote lastQuote() const;
    // Why the last update failed; none after a successful one, or before the first.
    std::optional<UpdateFailure> lastFailure() const;

    // Where the next update reads from.
    std::shared_ptr<const QuoteSource> source() const;
    void setSource(std::shared_ptr<const QuoteSource> source);

    // The quote page's address; empty (invalid) when the code forms no valid address.
    QUrl codeURL() const;

    // Fetches and scrapes the quote page; blocks. True when every step succeeded.
    bool update();
    bool update(const HttpClient &client);
    // Whether a fetch is one of many or one the user asked for, which is sent unless the host
    // itself asked for a pause.
    enum class Asking { Routine, Once };
    // As the policy allows: nothing is sent while the host is paused (false), a record read
    // before from the same source asks conditionally, and a 304 keeps the record as it is,
    // freshly updated.
    bool update(const HttpClient &client, FetchPolicy &policy, Asking asking = Asking::Routine);
    // The scraping half of update(): reads the quote out of a fetched page.
    bool updateWithPage(const QByteArray &body);
    // Set by whatever kept an update from happening; cleared by the next success.
    void setFailure(std::optional<UpdateFailure> failure);

    // Display texts; a null QString where there is nothing to show.
    QString quoteToFormat() const;
    QString prevCloseToFormat() const;
    QString volumeToFormat() const;
    QString updatedAtToFormat() const;

    // NSString intValue after removing commas: sign, digits, 32-bit saturation.
    static int64_t parseInteger(const QString &text);

private:
    void setName(const QString &name);
    void setUpdatedAt(const QDateTime &when);
    // The figures a page gave; a failed read stops short, and only a full one sets the time.
    struct Figures {
        std::optional<int64_t> quote;
        std::optional<int64_t> prevClose;
        std::optional<int64_t> volume;
    };
    static std::optional<UpdateFailure> readFigures(const XPathTree &document,
                                                    const QuoteSource &source, Figures &read);
    void setFigures(const Figures &read);
    bool wasReadWith(const std::shared_ptr<const QuoteSource> &source) const;
    void setReadWith(std::shared_ptr<const QuoteSource> source);
    // Reads the page with the source's searches; the failure when one finds nothing.
    std::optional<UpdateFailure> scrape(const QByteArray &body, const QuoteSource &source);

    const QString m_code;
    // Guards the five members below, and the writes of the figures.
    mutable std::mutex m_mutex;
    QString m_name;
    QDateTime m_updated_at;
    std::optional<UpdateFailure> m_failure;
    std::shared_ptr<const QuoteSource> m_source;
    // Whose searches read the values held; a 304 vouches only for a page read with them.
    std::shared_ptr<const QuoteSource> m_readWith;
    std::atomic<int64_t> m_quote{0};
    std::atomic<int64_t> m_prev_close{0};
    std::atomic<int64_t> m_volume{0};
};
