// A long run of scrapes in one process: ten records, each fed the simulator's quote pages of its
// code with prices that move, and the display texts read after every scrape as the menu does.
// Prints resident memory after a warm-up and at the end, and fails when it grew by more than
// 1 MiB in between, or when a page did not scrape.
// Usage: soak_scrape [SCRAPES (default 100000)] [WARM-UP SCRAPES (default 5000)]
#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <libxml/parser.h>
#include <malloc.h>

#include <QByteArray>

#include "Listings.h"
#include "QuoteSite.h"
#include "Stock.h"

namespace {

constexpr int kRecords = 10;
constexpr int kPagesPerRecord = 16;
constexpr long kAllowedGrowthKiB = 1024;

struct Record {
    std::unique_ptr<Stock> stock;
    std::vector<QByteArray> pages;
};

std::vector<Record> watchList() {
    QuoteSite site(42, std::chrono::seconds(0));
    std::vector<Record> records;
    for (const Listing &listing : Listings::regular().first(kRecords)) {
        Record record{std::make_unique<Stock>(QString::fromUtf8(listing.code)), {}};
        for (int i = 0; i < kPagesPerRecord; ++i) {
            const std::string body = site.detail(std::string(listing.code)).body;
            record.pages.emplace_back(body.data(), static_cast<qsizetype>(body.size()));
        }
        records.push_back(std::move(record));
    }
    return records;
}

// Resident memory in KiB. Freed heap goes back to the system first, so that what is left is what
// the program still holds rather than what the allocator keeps cached.
long residentKiB() {
    malloc_trim(0);
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return -1;
}

// One scrape of the next page of the next record; false when the page did not scrape.
bool scrape(std::vector<Record> &records, long round) {
    Record &record = records[static_cast<size_t>(round % kRecords)];
    const auto &page = record.pages[static_cast<size_t>(round / kRecords % kPagesPerRecord)];
    const bool updated = record.stock->updateWithPage(page);
    const qsizetype shown =
        record.stock->quoteToFormat().size() + record.stock->prevCloseToFormat().size() +
        record.stock->volumeToFormat().size() + record.stock->updatedAtToFormat().size();
    return updated && shown > 0;
}

long argument(int argc, char **argv, int index, long fallback) {
    if (index >= argc)
        return fallback;
    long value = 0;
    const char *end = argv[index] + std::strlen(argv[index]);
    const auto [stop, error] = std::from_chars(argv[index], end, value);
    return error == std::errc() && stop == end && value > 0 ? value : -1;
}

} // namespace

int main(int argc, char **argv) {
    const long total = argument(argc, argv, 1, 100000);
    const long warmUp = argument(argc, argv, 2, 5000);
    if (total < 0 || warmUp < 0 || warmUp >= total) {
        std::fprintf(stderr, "usage: soak_scrape [SCRAPES] [WARM-UP SCRAPES < SCRAPES]\n");
        return 2;
    }
    xmlInitParser();
    std::vector<Record> records = watchList();
    std::printf("%d records, %zu-byte pages, %ld scrapes (%ld to warm up)\n", kRecords,
                static_cast<size_t>(records.front().pages.front().size()), total, warmUp);

    const long progressEvery = std::max(1L, total / 10);
    const auto start = std::chrono::steady_clock::now();
    long failures = 0;
    long warmKiB = 0;
    for (long round = 0; round < total; ++round) {
        failures += scrape(records, round) ? 0 : 1;
        if (round + 1 == warmUp)
            warmKiB = residentKiB();
        if ((round + 1) % progressEvery == 0) {
            std::printf("%7ld scrapes: resident %ld KiB\n", round + 1, residentKiB());
            std::fflush(stdout);
        }
    }
    const long endKiB = residentKiB();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    std::printf("resident after warm-up %ld KiB, at the end %ld KiB, growth %+ld KiB (allowed "
                "%ld)\n%ld scrapes in %.1f s, %ld failed\n",
                warmKiB, endKiB, endKiB - warmKiB, kAllowedGrowthKiB, total, seconds, failures);
    return failures == 0 && endKiB - warmKiB <= kAllowedGrowthKiB ? 0 : 1;
}
