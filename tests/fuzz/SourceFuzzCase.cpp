#include "SourceFuzzCase.h"

#include <variant>

#include <QFile>

#include "QuoteSource.h"
#include "Stock.h"

namespace {

const QByteArray &page() {
    static const QByteArray bytes = [] {
        QFile file(QStringLiteral(KABU_FUZZ_PAGE));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    return bytes;
}

QString addressProblem(const QuoteSource &source) {
    for (const QString &code : {QStringLiteral("7203"), QStringLiteral("130A"),
                                QStringLiteral("2W4X"), QStringLiteral("9Y9Y")}) {
        const QUrl url = source.pageURL(code);
        const bool web =
            url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https");
        if (!url.isValid() || !web || url.host().isEmpty())
            return QStringLiteral("no address for %1: '%2'").arg(code, url.toString());
    }
    return QString();
}

QString scrapeProblem(const std::shared_ptr<const QuoteSource> &source) {
    Stock stock(QStringLiteral("7203"), source);
    const bool updated = stock.updateWithPage(page());
    if (updated == stock.lastFailure().has_value())
        return QStringLiteral("success and failure disagree");
    if (updated != stock.updated_at().isValid() || (updated && stock.name().isNull()))
        return QStringLiteral("a success without a time or a name, or a failure with one");
    if (stock.quoteToFormat().isEmpty() || stock.volumeToFormat().isEmpty())
        return QStringLiteral("no display text");
    return QString();
}

} // namespace

SourceFuzzCase::SourceFuzzCase(QByteArrayView input)
    : m_json(input.toByteArray()) {}

QString SourceFuzzCase::check() const {
    if (page().isEmpty())
        return QStringLiteral("no page to scrape: " KABU_FUZZ_PAGE);
    const QuoteSource::Loaded loaded = QuoteSource::fromJson(m_json, QStringLiteral("f.json"));
    if (const auto *problem = std::get_if<QString>(&loaded))
        return problem->isEmpty() ? QStringLiteral("refused without a reason") : QString();
    const auto &source = std::get<0>(loaded);
    const QString problem = addressProblem(*source);
    return problem.isNull() ? scrapeProblem(source) : problem;
}
