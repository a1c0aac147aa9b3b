#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include <QDateTime>
#include <QString>
#include <QUrl>

#include "HttpClient.h"

// One watched security: its code and the last quote scraped from its quote page.
// Safe to read from any thread while update() runs on a background thread.
class Stock {
public:
    explicit Stock(QString code, QString baseURL = quoteSiteBaseURL());
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

    // The quote page's address; empty (invalid) when the code forms no valid address.
    QUrl codeURL() const;

    // Fetches and scrapes the quote page; blocks. True when every step succeeded.
    bool update();
    bool update(const HttpClient &client);
    // The scraping half of update(): reads the quote out of a fetched page.
    bool updateWithPage(const QByteArray &body);

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

    const QString m_code;
    const QString m_baseURL;
    mutable std::mutex m_mutex; // guards m_name and m_updated_at
    QString m_name;
    QDateTime m_updated_at;
    std::atomic<int64_t> m_quote{0};
    std::atomic<int64_t> m_prev_close{0};
    std::atomic<int64_t> m_volume{0};
};
