// Prints name, price, previous close and volume of each code given, as the ticker would read
// them, or why they could not be read; a quick check that a quote site's pages can be read.
#include <cstdio>
#include <variant>

#include <QCoreApplication>
#include <QStringList>

#include <libxml/parser.h>

#include "HttpClient.h"
#include "QuoteSource.h"
#include "Stock.h"

namespace {

// The source a --source FILE names, or the built-in one; null when the file is unusable.
std::shared_ptr<const QuoteSource> chosenSource(QStringList &arguments) {
    if (arguments.value(0) != QLatin1String("--source"))
        return QuoteSource::builtIn(Stock::quoteSiteBaseURL());
    const QString path = arguments.value(1);
    arguments = arguments.mid(2);
    QuoteSource::Loaded loaded = QuoteSource::fromFile(path);
    if (const auto *problem = std::get_if<QString>(&loaded)) {
        std::fprintf(stderr, "kabu-scrape: %s: %s\n", qPrintable(path), qPrintable(*problem));
        return nullptr;
    }
    return std::get<std::shared_ptr<const QuoteSource>>(std::move(loaded));
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    xmlInitParser();
    HttpClient::globalInit();
    QStringList codes = app.arguments().mid(1);
    const std::shared_ptr<const QuoteSource> source = chosenSource(codes);
    if (!source)
        return 2;
    if (codes.isEmpty()) {
        std::fprintf(stderr, "usage: kabu-scrape [--source FILE.json] CODE...\n");
        return 2;
    }
    int failures = 0;
    for (const QString &code : codes) {
        Stock stock(code, source);
        const bool ok = stock.update();
        failures += ok ? 0 : 1;
        const QString outcome =
            ok ? QStringLiteral("ok") : QStringLiteral("failed: ") + stock.lastFailure()->text();
        std::printf("%s\t%s\t%s\t%s\t%s\t%s\n", qPrintable(code), qPrintable(outcome),
                    qPrintable(stock.name()), qPrintable(stock.quoteToFormat()),
                    qPrintable(stock.prevCloseToFormat()), qPrintable(stock.volumeToFormat()));
    }
    return failures == 0 ? 0 : 1;
}
