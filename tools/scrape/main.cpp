// Prints name, price, previous close and volume of each code given, as the ticker would read
// them; a quick check that a quote site's pages can be read.
#include <cstdio>

#include <QCoreApplication>
#include <QStringList>

#include <libxml/parser.h>

#include "HttpClient.h"
#include "Stock.h"

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    xmlInitParser();
    HttpClient::globalInit();
    QStringList codes = app.arguments().mid(1);
    if (codes.isEmpty()) {
        std::fprintf(stderr, "usage: kabu-scrape CODE...\n");
        return 2;
    }
    int failures = 0;
    for (const QString &code : codes) {
        Stock stock(code);
        const bool ok = stock.update();
        failures += ok ? 0 : 1;
        std::printf("%s\t%s\t%s\t%s\t%s\t%s\n", qPrintable(code), ok ? "ok" : "failed",
                    qPrintable(stock.name()), qPrintable(stock.quoteToFormat()),
                    qPrintable(stock.prevCloseToFormat()), qPrintable(stock.volumeToFormat()));
    }
    return failures == 0 ? 0 : 1;
}
