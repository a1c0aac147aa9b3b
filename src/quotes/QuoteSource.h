#pragma once

#include <memory>
#include <variant>

#include <QByteArray>
#include <QString>
#include <QUrl>

// Where quotes are read from and how: a page address per code and the searches that find the
// name, price, previous close and volume on that page. Built in, or loaded from a JSON file.
class QuoteSource {
public:
    // Larger source files are refused unread; a real one is a few hundred bytes.
    static constexpr qint64 kMaxFileBytes = 64 * 1024;
    // Indexes past this are taken for mistakes, not for pages with so many matches.
    static constexpr int kMaxIndex = 999;

    // The source whose pages the site at baseURL serves under /stocks/detail/?code=.
    static std::shared_ptr<const QuoteSource> builtIn(const QString &baseURL);

    // A usable source, or why the text is none (in words for the preferences).
    using Loaded = std::variant<std::shared_ptr<const QuoteSource>, QString>;
    // `id` names the source in the settings: its file name.
    static Loaded fromJson(const QByteArray &json, const QString &id);
    static Loaded fromFile(const QString &path);

    const QString &id() const { return m_id; } // empty for the built-in source
    const QString &name() const { return m_name; }
    const QString &addressTemplate() const { return m_address; }
    const QString &titleQuery() const { return m_titleQuery; }
    const QString &priceQuery() const { return m_priceQuery; }
    const QString &figuresQuery() const { return m_figuresQuery; }
    qsizetype priceIndex() const { return m_priceIndex; }
    qsizetype prevCloseIndex() const { return m_prevCloseIndex; }
    qsizetype volumeIndex() const { return m_volumeIndex; }
    // Used instead of what a page declares; empty to go by the page.
    const QByteArray &encoding() const { return m_encoding; }

    // The code's page; empty (invalid) when the code forms no valid address.
    QUrl pageURL(const QString &code) const;
    // Scheme, host and port of the pages, for messages about the whole site.
    QString site() const;

private:
    QuoteSource() = default;
    static QString problem(const QuoteSource &source);

    QString m_id;
    QString m_name;
    QString m_address;
    QString m_titleQuery;
    QString m_priceQuery;
    QString m_figuresQuery;
    qsizetype m_priceIndex = 0;
    qsizetype m_prevCloseIndex = 0;
    qsizetype m_volumeIndex = 0;
    QByteArray m_encoding;
};
