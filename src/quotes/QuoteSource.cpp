#include "QuoteSource.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

#include "SecurityCode.h"
#include "XPathQuery.h"

namespace {

const QString kCodeField = QStringLiteral("{code}");

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

// Reads one field; a missing or mistyped one leaves `problem` saying which.
class Fields {
public:
    explicit Fields(QJsonObject object)
        : m_object(std::move(object)) {}

    QString text(const char *key, bool required = true) {
        const QJsonValue value = m_object.value(QLatin1String(key));
        if (value.isString() && !value.toString().isEmpty())
            return value.toString();
        if (required || !value.isUndefined())
            note(QStringLiteral("「%1」に文字列がありません").arg(QLatin1String(key)));
        return QString();
    }

    qsizetype index(const char *key) {
        const QJsonValue value = m_object.value(QLatin1String(key));
        const double number = value.toDouble(-1.0);
        if (!value.isDouble() || number < 0 || number > QuoteSource::kMaxIndex ||
            number != static_cast<double>(static_cast<int>(number))) {
            note(QStringLiteral("「%1」が 0 から %2 までの整数ではありません")
                     .arg(QLatin1String(key))
                     .arg(QuoteSource::kMaxIndex));
            return 0;
        }
        return static_cast<qsizetype>(number);
    }

    const QString &problem() const { return m_problem; }

private:
    void note(const QString &problem) {
        if (m_problem.isEmpty())
            m_problem = problem;
    }

    QJsonObject m_object;
    QString m_problem;
};

} // namespace

std::shared_ptr<const QuoteSource> QuoteSource::builtIn(const QString &baseURL) {
    auto source = std::shared_ptr<QuoteSource>(new QuoteSource);
    source->m_name = QStringLiteral("内蔵の取得先");
    source->m_address = baseURL + QStringLiteral("/stocks/detail/?code=") + kCodeField;
    source->m_titleQuery = QStringLiteral("//title");
    source->m_priceQuery = QStringLiteral("//table[@class=\"stocksTable\"]/tr/td");
    source->m_figuresQuery = QStringLiteral("//div[@class=\"innerDate\"]/div/dl/dd/strong");
    source->m_priceIndex = 1;
    source->m_prevCloseIndex = 0;
    source->m_volumeIndex = 4;
    return source;
}

QuoteSource::Loaded QuoteSource::fromJson(const QByteArray &json, const QString &id) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError)
        return QStringLiteral("JSON として読めません（%1 バイト目: %2）")
            .arg(error.offset)
            .arg(error.errorString());
    if (!document.isObject())
        return QStringLiteral("JSON のオブジェクトではありません");
    Fields fields(document.object());
    auto source = std::shared_ptr<QuoteSource>(new QuoteSource);
    source->m_id = id;
    source->m_name = fields.text("name");
    source->m_address = fields.text("address");
    source->m_titleQuery = fields.text("titleQuery");
    source->m_priceQuery = fields.text("priceQuery");
    source->m_priceIndex = fields.index("priceIndex");
    source->m_figuresQuery = fields.text("figuresQuery");
    source->m_prevCloseIndex = fields.index("prevCloseIndex");
    source->m_volumeIndex = fields.index("volumeIndex");
    source->m_encoding = fields.text("encoding", false).toLatin1();
    const QString problem =
        fields.problem().isEmpty() ? QuoteSource::problem(*source) : fields.problem();
    if (!problem.isEmpty())
        return problem;
    return std::shared_ptr<const QuoteSource>(std::move(source));
}

QuoteSource::Loaded QuoteSource::fromFile(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("読めません（%1）").arg(file.errorString());
    // One byte more than allowed tells a file at the limit from a larger one.
    const QByteArray json = file.read(kMaxFileBytes + 1);
    if (json.size() > kMaxFileBytes)
        return QStringLiteral("%1 バイトより大きいファイルです").arg(kMaxFileBytes);
    return fromJson(json, path.section(u'/', -1));
}

// What makes fields that are all present unusable; empty when nothing does.
QString QuoteSource::problem(const QuoteSource &source) {
    if (!source.m_address.contains(kCodeField))
        return QStringLiteral("アドレスに {code} がありません");
    // Codes of every kind stand in: an address may hold for some alone, as one with the code
    // as its port holds for digits, or one with "%" before it for hex-like letters.
    for (const QString &code : SecurityCode::samples()) {
        const QUrl sample = source.pageURL(code);
        if (sample.isEmpty() || sample.host().isEmpty())
            return QStringLiteral("アドレスが正しくありません");
        if (sample.scheme() != QLatin1String("http") && sample.scheme() != QLatin1String("https"))
            return QStringLiteral("アドレスが http でも https でもありません");
    }
    for (const QString &query : {source.m_titleQuery, source.m_priceQuery, source.m_figuresQuery}) {
        if (!XPathQuery::IsValidQuery(query))
            return QStringLiteral("XPath として読めない検索式です: %1").arg(query);
    }
    if (!source.m_encoding.isEmpty() && !XPathQuery::IsKnownEncoding(source.m_encoding))
        return QStringLiteral("知らない文字コードです: %1").arg(QLatin1String(source.m_encoding));
    return QString();
}

QUrl QuoteSource::pageURL(const QString &code) const {
    if (!formsQuery(code))
        return QUrl();
    QString address = m_address;
    const QUrl url(address.replace(kCodeField, code), QUrl::StrictMode);
    return url.isValid() ? url : QUrl();
}

QString QuoteSource::site() const {
    return pageURL(SecurityCode::samples().first())
        .adjusted(QUrl::RemoveUserInfo | QUrl::RemovePath | QUrl::RemoveQuery |
                  QUrl::RemoveFragment)
        .toString();
}
