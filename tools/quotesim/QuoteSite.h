#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <mutex>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "Quote.h"

struct Listing;

// What the simulated site answers to one request.
struct SitePage {
    int status = 200;
    std::string contentType;
    std::string body;
    std::string location;          // where a redirect points
    std::chrono::seconds delay{0}; // how long the server waits before answering
};

// The simulated quote site: a price that walks on every request for each listed code, and the
// codes 9991-9997 that act out a real site's failures. Safe to call from several threads.
class QuoteSite {
public:
    static constexpr std::string_view movedPath = "/stocks/detail/new/";

    QuoteSite(std::uint32_t seed, std::chrono::seconds slowDelay);

    // GET /stocks/detail/?code=CODE
    SitePage detail(const std::string &code);
    // GET movedPath?code=CODE, where 9994 is sent: the plain quote page of any listed code.
    SitePage quotePage(const std::string &code);
    // GET /annex/quote/CODE.html: the second layout's page, Shift_JIS without a declared charset.
    SitePage annexPage(const std::string &code);
    // From now on the code's price is each of these in turn, one per page, the last one for
    // good: a walk that crosses a given line when the test wants it to.
    void setWalk(const std::string &code, std::vector<int> prices);

private:
    struct Market {
        int previousClose = 0;
        int price = 0;
        int open = 0;
        int high = 0;
        int low = 0;
        std::int64_t volume = 0;
    };

    Quote nextQuote(const Listing &listing);
    Market openMarket(const Listing &listing);
    void step(Market &market);
    void walk(std::string_view code, Market &market);

    std::mutex m_mutex;
    std::mt19937 m_random;
    std::map<std::string, Market, std::less<>> m_markets;
    std::map<std::string, std::vector<int>, std::less<>> m_walks; // the prices still to come
    std::chrono::seconds m_slowDelay;
};
