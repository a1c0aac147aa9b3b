// One scrape of a quote page (the three searches of an update) against one and three bare
// libxml2 parses of the same bytes. Prints both ratios; the budget is 1.15 times one parse.
#include <cstdio>
#include <map>
#include <string>

#include <benchmark/benchmark.h>
#include <libxml/HTMLparser.h>

#include <QByteArray>
#include <QCoreApplication>

#include "QuoteSite.h"
#include "Stock.h"

namespace {

QByteArray quotePage() {
    QuoteSite site(42, std::chrono::seconds(0));
    const std::string body = site.detail("7203").body;
    return QByteArray(body.data(), static_cast<qsizetype>(body.size()));
}

const QByteArray &page() {
    static const QByteArray bytes = quotePage();
    return bytes;
}

void scrape(benchmark::State &state) {
    Stock stock(QStringLiteral("7203"));
    for (auto _ : state) {
        if (!stock.updateWithPage(page()))
            state.SkipWithError("the page did not scrape");
    }
    state.SetBytesProcessed(state.iterations() * page().size());
}

void parse() {
    xmlDocPtr doc = htmlReadMemory(page().constData(), static_cast<int>(page().size()), "", nullptr,
                                   HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING);
    benchmark::DoNotOptimize(doc);
    xmlFreeDoc(doc);
}

void oneParse(benchmark::State &state) {
    for (auto _ : state)
        parse();
    state.SetBytesProcessed(state.iterations() * page().size());
}

void threeParses(benchmark::State &state) {
    for (auto _ : state) {
        for (int i = 0; i < 3; ++i)
            parse();
    }
    state.SetBytesProcessed(state.iterations() * page().size());
}

BENCHMARK(scrape)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(oneParse)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(threeParses)->Repetitions(5)->ReportAggregatesOnly(true);

// Keeps the median time per iteration of each benchmark for the ratio.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override {
        for (const Run &run : runs) {
            if (run.aggregate_name == "median")
                m_median[run.run_name.function_name] = run.GetAdjustedCPUTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
    double median(const std::string &name) const {
        const auto it = m_median.find(name);
        return it == m_median.end() ? 0.0 : it->second;
    }

private:
    std::map<std::string, double> m_median;
};

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    xmlInitParser();
    benchmark::Initialize(&argc, argv);
    std::printf("quote page: %lld bytes\n", static_cast<long long>(page().size()));
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double scrape = reporter.median("scrape");
    const double parses = reporter.median("threeParses");
    if (parses > 0)
        std::printf("scrape / three parses = %.3f\n", scrape / parses);
    const double parse = reporter.median("oneParse");
    if (parse > 0)
        std::printf("scrape / one parse = %.3f (budget 1.15)\n", scrape / parse);
    benchmark::Shutdown();
    return 0;
}
