#include "Stock.h"

#include <limits>
#include <memory>

#include <unicode/datefmt.h>
#include <unicode/decimfmt.h>
#include <unicode/dcfmtsym.h>
#include <unicode/regex.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>
#include <unicode/unistr.h>

#include <QLocale>

#include "Clock.h"
#include "Whitespace.h"
#include "XPathDocument.h"
#include "XPathTree.h"

namespace {

const QString kTitleQuery = QStringLiteral("//title");
const QString kPriceQuery = QStringLiteral("//table[@class=\"stocksTable\"]/tr/td");
const QString kFiguresQuery = QStringLiteral("//div[@class=\"innerDate\"]/div/dl/dd/strong");
constexpr qsizetype kPriceIndex = 1;
constexpr qsizetype kPrevCloseIndex = 0;
constexpr qsizetype kVolumeIndex = 4;
// Real titles are a few dozen characters. A longer one comes from a broken or hostile page and
// would end up as a name in every menu line and table row, so it counts as no title at all.
constexpr qsizetype kLongestTitle = 1024;

icu::UnicodeString toUnicode(const QString &text) {
    return icu::UnicodeString(reinterpret_cast<const UChar *>(text.utf16()),
                              static_cast<int32_t>(text.size()));
}

QString fromUnicode(const icu::UnicodeString &text) {
    return QString(reinterpret_cast<const QChar *>(text.getBuffer()), text.length());
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

bool isQueryCharacter(char16_t c) {
    if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9'))
        return true;
    return QStringView(u"-._~!$&'()*+,;=:@/?").contains(QChar(c));
}

bool isHexDigit(QChar c) {
    return c.isDigit() || (c.toLower() >= QLatin1Char('a') && c.toLower() <= QLatin1Char('f'));
}

// Characters that may stand in a URL's query as they are, or as %XX escapes.
bool formsQuery(const QString &text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('%')) {
            if (i + 2 >= text.size() || !isHexDigit(text.at(i + 1)) || !isHexDigit(text.at(i + 2)))
                return false;
            i += 2;
        } else if (!isQueryCharacter(text.at(i).unicode())) {
            return false;
        }
    }
    return true;
}

icu::Locale userLocale() {
    return icu::Locale(QLocale().name().toUtf8().constData());
}

// Digits grouped in threes with the user's locale symbols, after a UTS #35 pattern.
QString formatWithPattern(int64_t value, const QString &pattern) {
    UErrorCode status = U_ZERO_ERROR;
    auto symbols = std::make_unique<icu::DecimalFormatSymbols>(userLocale(), status);
    icu::DecimalFormat format(toUnicode(pattern), symbols.release(), status);
    if (U_FAILURE(status))
        return QString::number(value);
    icu::UnicodeString out;
    format.format(static_cast<int64_t>(value), out);
    return fromUnicode(out);
}

} // namespace

Stock::Stock(QString code, QString baseURL)
    : m_code(std::move(code))
    , m_baseURL(std::move(baseURL)) {}

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

void Stock::setName(const QString &name) {
    std::lock_guard lock(m_mutex);
    m_name = name;
}

void Stock::setUpdatedAt(const QDateTime &when) {
    std::lock_guard lock(m_mutex);
    m_updated_at = when;
}

QUrl Stock::codeURL() const {
    if (!formsQuery(m_code))
        return QUrl();
    const QUrl url(m_baseURL + QStringLiteral("/stocks/detail/?code=") + m_code, QUrl::StrictMode);
    return url.isValid() ? url : QUrl();
}

bool Stock::update() {
    return update(HttpClient());
}

bool Stock::update(const HttpClient &client) {
    const QUrl url = codeURL();
    if (url.isEmpty())
        return false;
    // A failed fetch hands the page no bytes, so the first search fails at parsing.
    return updateWithPage(client.get(url).body);
}

bool Stock::updateWithPage(const QByteArray &body) {
    // One parse serves the three searches.
    const XPathTree document(XPathDocument::documentWithHTMLData(body));

    const auto title = document.peekAtSearchWithXPathQuery(kTitleQuery);
    const QString titleText = title ? title->text() : QString();
    if (titleText.isNull() || titleText.size() > kLongestTitle)
        return false;
    setName(nameFromTitle(titleText, m_code));

    const auto cells = document.searchWithXPathQuery(kPriceQuery);
    if (cells.size() <= kPriceIndex)
        return false;
    m_quote = parseInteger(cells.at(kPriceIndex)->text());

    const auto figures = document.searchWithXPathQuery(kFiguresQuery);
    if (figures.size() <= kPrevCloseIndex)
        return false;
    m_prev_close = parseInteger(figures.at(kPrevCloseIndex)->text());
    if (figures.size() <= kVolumeIndex)
        return false;
    m_volume = parseInteger(figures.at(kVolumeIndex)->text());

    setUpdatedAt(Clock::currentDateTime());
    return true;
}

int64_t Stock::parseInteger(const QString &text) {
    if (text.isNull())
        return 0;
    QString digits = text;
    return intValue(digits.remove(QLatin1Char(',')));
}

QString Stock::quoteToFormat() const {
    const int64_t value = quote();
    return value == 0 ? QStringLiteral("-") : formatWithPattern(value, QStringLiteral(",###"));
}

QString Stock::prevCloseToFormat() const {
    const int64_t change = quote() - prev_close();
    const QString sign = change < 0 ? QStringLiteral("-") : QStringLiteral("+");
    return formatWithPattern(change < 0 ? -change : change, sign + QStringLiteral(",###"));
}

QString Stock::volumeToFormat() const {
    return formatWithPattern(volume(), QStringLiteral(",###"));
}

QString Stock::updatedAtToFormat() const {
    const QDateTime when = updated_at();
    if (!when.isValid())
        return QString();
    UErrorCode status = U_ZERO_ERROR;
    icu::SimpleDateFormat format(icu::UnicodeString(u"HH:mm"), userLocale(), status);
    if (U_FAILURE(status))
        return QString();
    // The machine's zone as it is now, not as it was when ICU first looked.
    format.adoptTimeZone(icu::TimeZone::detectHostTimeZone());
    icu::UnicodeString out;
    format.format(static_cast<UDate>(when.toMSecsSinceEpoch()), out);
    return fromUnicode(out);
}
