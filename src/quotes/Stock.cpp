#include "Stock.h"

#include <limits>

#include <unicode/regex.h>
#include <unicode/unistr.h>

#include "Clock.h"
#include "FetchPolicy.h"
#include "QuoteFormat.h"
#include "Whitespace.h"
#include "XPathDocument.h"
#include "XPathTree.h"

namespace {

// Real titles are a few dozen characters. A longer one comes from a broken or hostile page and
// would end up as a name in every menu line and table row, so it counts as no title at all.
constexpr qsizetype kLongestTitle = 1024;

icu::UnicodeString toUnicode(const QString &text) {
    return icu::UnicodeString(reinterpret_cast<const UChar *>(text.utf16()),
                              static_cast<int32_t>(text.size()));
}

// The code goes into the pattern as literal text: a stored code is user data, not syntax.
QString escapedForPattern(const QString &code) {
    QString escaped;
    escaped.reserve(code.size() * 2);
    for (const QChar c : code) {
        const bool asciiAlnum = c.unicode() < 0x80 && c.isLetterOrNumber();
        if (c.unicode() < 0x80 && !asciiAlnum)
            escaped += QLatin1Char('\\');
        escaped += c;
    }
    return escaped;
}

// The part of the title's first line in front of the last "【code】" on it; empty when none.
QString nameFromTitle(const QString &title, const QString &code) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::UnicodeString pattern =
        toUnicode(QStringLiteral("^(.+)\u3010%1\u3011").arg(escapedForPattern(code)));
    const icu::UnicodeString input = toUnicode(title);
    icu::RegexMatcher matcher(pattern, input, 0, status);
    const bool found = U_SUCCESS(status) && matcher.find(status);
    const int32_t start = found ? matcher.start(1, status) : 0;
    const int32_t end = found ? matcher.end(1, status) : 0;
    if (!found || U_FAILURE(status))
        return QStringLiteral("");
    return title.mid(start, end - start);
}

// The 32-bit intValue rule: leading white space, an optional sign, then digits.
int64_t intValue(const QString &text) {
    qsizetype i = 0;
    while (i < text.size() && Whitespace::isWhitespaceOrNewline(text.at(i).unicode()))
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    constexpr int64_t limit = int64_t(std::numeric_limits<int32_t>::max()) + 1;
    int64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < u'0' || c > u'9')
            break;
        magnitude = std::min(magnitude * 10 + (c - u'0'), limit);
    }
    if (negative)
        return -magnitude;
    return std::min<int64_t>(magnitude, std::numeric_limits<int32_t>::max());
}

} // namespace

Stock::Stock(QString code, QString baseURL)
    : Stock(std::move(code), QuoteSource::builtIn(baseURL)) {}

Stock::Stock(QString code, std::shared_ptr<const QuoteSource> source)
    : m_code(std::move(code))
    , m_source(std::move(source)) {}

QString Stock::quoteSiteBaseURL() {
    return QStringLiteral(QUOTE_SITE_BASE_URL);
}

QString Stock::name() const {
    std::lock_guard lock(m_mutex);
    return m_name;
}

QDateTime Stock::updated_at() const {
    std::lock_guard lock(m_mutex);
    return m_updated_at;
}

Stock::Quote Stock::lastQuote() const {
    std::lock_guard lock(m_mutex);
    return {m_quote.load(), m_prev_close.load(), m_updated_at};
}

std::optional<UpdateFailure> Stock::lastFailure() const {
    std::lock_guard lock(m_mutex);
    return m_failure;
}

void Stock::setFailure(std::optional<UpdateFailure> failure) {
    std::lock_guard lock(m_mutex);
    m_failure = std::move(failure);
}

std::shared_ptr<const QuoteSource> Stock::source() const {
    std::lock_guard lock(m_mutex);
    return m_source;
}

void Stock::setSource(std::shared_ptr<const QuoteSource> source) {
    std::lock_guard lock(m_mutex);
    m_source = std::move(source);
}

void Stock::setName(const QString &name) {
    std::lock_guard lock(m_mutex);
    m_name = name;
}

void Stock::setUpdatedAt(const QDateTime &when) {
    std::lock_guard lock(m_mutex);
    m_updated_at = when;
}

bool Stock::wasReadWith(const std::shared_ptr<const QuoteSource> &source) const {
    std::lock_guard lock(m_mutex);
    return m_readWith == source;
}

void Stock::setReadWith(std::shared_ptr<const QuoteSource> source) {
    std::lock_guard lock(m_mutex);
    m_readWith = std::move(source);
}

// One write under the lock lastQuote() reads under, so a reader never sees half an update.
void Stock::setFigures(const Figures &read) {
    std::lock_guard lock(m_mutex);
    if (read.quote)
        m_quote = *read.quote;
    if (read.prevClose)
        m_prev_close = *read.prevClose;
    if (read.volume) {
        m_volume = *read.volume;
        m_updated_at = Clock::currentDateTime();
    }
}

QUrl Stock::codeURL() const {
    return source()->pageURL(m_code);
}

bool Stock::update() {
    return update(HttpClient());
}

bool Stock::update(const HttpClient &client) {
    // A policy of its own remembers nothing and pauses nothing: one plain request.
    FetchPolicy unremembered;
    return update(client, unremembered);
}

bool Stock::update(const HttpClient &client, FetchPolicy &policy, Asking asking) {
    const std::shared_ptr<const QuoteSource> source = this->source();
    const QUrl url = source->pageURL(m_code);
    if (url.isEmpty()) {
        setFailure(UpdateFailure::noAddress(m_code));
        return false;
    }
    const QDateTime now = Clock::currentDateTime();
    const QDateTime pausedUntil =
        asking == Asking::Once ? policy.askedToWaitUntil(url, now) : policy.pausedUntil(url, now);
    if (pausedUntil.isValid()) {
        setFailure(UpdateFailure::paused(pausedUntil, source->site()));
        return false;
    }
    // A record never read with this source has nothing to keep, so it asks for the whole page.
    const HttpHeaders conditions =
        wasReadWith(source) ? policy.conditionalHeaders(url) : HttpHeaders();
    const HttpResponse response = client.get(url, conditions);
    policy.recordAnswer(url, response, Clock::currentDateTime());
    if (response.ok && response.status == 304 && !conditions.isEmpty()) {
        setFailure(std::nullopt);
        setUpdatedAt(Clock::currentDateTime());
        return true;
    }
    // A failed fetch hands the page no bytes, so the first search fails at parsing.
    const std::optional<UpdateFailure> failure = scrape(response.body, *source);
    setFailure(failure ? std::optional(UpdateFailure::fromResponse(response, *failure))
                       : std::nullopt);
    if (!failure) {
        policy.rememberPage(url, response);
        setReadWith(source);
    }
    return !failure;
}

bool Stock::updateWithPage(const QByteArray &body) {
    const std::optional<UpdateFailure> failure = scrape(body, *source());
    setFailure(failure);
    return !failure;
}

std::optional<UpdateFailure> Stock::scrape(const QByteArray &body, const QuoteSource &source) {
    // One parse serves the three searches.
    const XPathTree document(XPathDocument::documentWithHTMLData(body, source.encoding()));

    const auto title = document.peekAtSearchWithXPathQuery(source.titleQuery());
    const QString titleText = title ? title->text() : QString();
    if (titleText.isNull() || titleText.size() > kLongestTitle)
        return UpdateFailure::layout(UpdateFailure::Missing::Name, source.titleQuery(),
                                     source.site());
    setName(nameFromTitle(titleText, m_code));

    Figures read;
    const std::optional<UpdateFailure> failure = readFigures(document, source, read);
    setFigures(read);
    return failure;
}

// In the order of the page's searches; a failure leaves the figures after it unread.
std::optional<UpdateFailure> Stock::readFigures(const XPathTree &document,
                                                const QuoteSource &source, Figures &read) {
    const auto missing = [&source](UpdateFailure::Missing what, const QString &query) {
        return UpdateFailure::layout(what, query, source.site());
    };
    const auto cells = document.searchWithXPathQuery(source.priceQuery());
    if (cells.size() <= source.priceIndex())
        return missing(UpdateFailure::Missing::Price, source.priceQuery());
    read.quote = parseInteger(cells.at(source.priceIndex())->text());
    const auto figures = document.searchWithXPathQuery(source.figuresQuery());
    if (figures.size() <= source.prevCloseIndex())
        return missing(UpdateFailure::Missing::PrevClose, source.figuresQuery());
    read.prevClose = parseInteger(figures.at(source.prevCloseIndex())->text());
    if (figures.size() <= source.volumeIndex())
        return missing(UpdateFailure::Missing::Volume, source.figuresQuery());
    read.volume = parseInteger(figures.at(source.volumeIndex())->text());
    return std::nullopt;
}

int64_t Stock::parseInteger(const QString &text) {
    if (text.isNull())
        return 0;
    QString digits = text;
    return intValue(digits.remove(QLatin1Char(',')));
}

QString Stock::quoteToFormat() const {
    return QuoteFormat::price(quote());
}

QString Stock::prevCloseToFormat() const {
    return QuoteFormat::change(quote(), prev_close());
}

QString Stock::volumeToFormat() const {
    return QuoteFormat::volume(volume());
}

QString Stock::updatedAtToFormat() const {
    return QuoteFormat::time(updated_at());
}
