#include "QuoteSite.h"

#include <algorithm>

#include "AnnexPage.h"
#include "Listings.h"
#include "QuotePage.h"
#include "TextEncoder.h"

namespace {

constexpr std::string_view serverErrorCode = "9991";
constexpr std::string_view unavailableCode = "9992";
constexpr std::string_view slowCode = "9993";
constexpr std::string_view movedCode = "9994";
constexpr std::string_view shiftJisCode = "9995";
constexpr std::string_view eucJpCode = "9996";
constexpr std::string_view volumePendingCode = "9997";

// The Tokyo exchange's price steps, coarser as prices rise.
int tickSize(int price) {
    return price <= 3000 ? 1 : price <= 5000 ? 5 : price <= 30000 ? 10 : price <= 50000 ? 50 : 100;
}

std::string charsetFor(std::string_view code) {
    return code == shiftJisCode ? "Shift_JIS" : code == eucJpCode ? "EUC-JP" : "UTF-8";
}

std::string htmlType(const std::string &charset) {
    return "text/html; charset=" + charset;
}

std::chrono::sys_seconds now() {
    return std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
}

} // namespace

QuoteSite::QuoteSite(std::uint32_t seed, std::chrono::seconds slowDelay)
    : m_random(seed)
    , m_slowDelay(slowDelay) {}

SitePage QuoteSite::detail(const std::string &code) {
    if (code == serverErrorCode)
        return {500, htmlType("UTF-8"), QuotePage::serverError(), {}, {}};
    if (code == movedCode) {
        const std::string location = std::string(movedPath) + "?code=" + code;
        return {302, htmlType("UTF-8"), QuotePage::moved(location), location, {}};
    }
    SitePage page = quotePage(code);
    if (code == unavailableCode)
        page.status = 503;
    if (code == slowCode)
        page.delay = m_slowDelay;
    return page;
}

SitePage QuoteSite::quotePage(const std::string &code) {
    const Listing *listing = Listings::find(code);
    if (!listing)
        return {404, htmlType("UTF-8"), QuotePage::notFound(code, now()), {}, {}};
    const std::string charset = charsetFor(code);
    const std::string html = QuotePage::quote(nextQuote(*listing), charset);
    return {200, htmlType(charset), TextEncoder::fromUtf8(html, charset), {}, {}};
}

SitePage QuoteSite::annexPage(const std::string &code) {
    const Listing *listing = Listings::find(code);
    if (!listing)
        return {404, htmlType("UTF-8"), QuotePage::notFound(code, now()), {}, {}};
    return {200,
            "text/html",
            TextEncoder::fromUtf8(AnnexPage::quote(nextQuote(*listing)), "Shift_JIS"),
            {},
            {}};
}

Quote QuoteSite::nextQuote(const Listing &listing) {
    Quote quote;
    {
        std::lock_guard lock(m_mutex);
        auto market = m_markets.find(listing.code);
        if (market == m_markets.end())
            market = m_markets.emplace(listing.code, openMarket(listing)).first;
        step(market->second);
        walk(listing.code, market->second);
        quote.previousClose = market->second.previousClose;
        quote.price = market->second.price;
        quote.open = market->second.open;
        quote.high = market->second.high;
        quote.low = market->second.low;
        quote.volume = market->second.volume;
    }
    quote.code = listing.code;
    quote.name = listing.name;
    quote.volumePending = listing.code == volumePendingCode;
    quote.asOf = now();
    return quote;
}

QuoteSite::Market QuoteSite::openMarket(const Listing &listing) {
    const int tick = tickSize(listing.typicalPrice);
    Market market;
    market.previousClose = listing.typicalPrice / tick * tick;
    market.open = market.previousClose + std::uniform_int_distribution(-10, 10)(m_random) * tick;
    market.price = market.high = market.low = market.open;
    market.volume = 100LL * std::uniform_int_distribution(10000, 200000)(m_random);
    return market;
}

void QuoteSite::setWalk(const std::string &code, std::vector<int> prices) {
    std::lock_guard lock(m_mutex);
    m_walks[code] = std::move(prices);
}

// Callers hold m_mutex.
void QuoteSite::walk(std::string_view code, Market &market) {
    const auto found = m_walks.find(code);
    if (found == m_walks.end() || found->second.empty())
        return;
    std::vector<int> &prices = found->second;
    market.price = prices.front();
    if (prices.size() > 1)
        prices.erase(prices.begin());
    market.high = std::max(market.high, market.price);
    market.low = std::min(market.low, market.price);
}

// A walk that always moves and leans back towards the previous close, so over a few requests a
// price is seen both above and below it, and never wanders off.
void QuoteSite::step(Market &market) {
    const int tick = tickSize(market.previousClose);
    const double band = 0.05 * market.previousClose;
    const double drift = std::clamp((market.price - market.previousClose) / band, -1.0, 1.0);
    const bool up = std::bernoulli_distribution(0.5 - 0.4 * drift)(m_random);
    const int ticks = std::uniform_int_distribution(1, 4)(m_random);
    market.price = std::max(tick, market.price + (up ? ticks : -ticks) * tick);
    market.high = std::max(market.high, market.price);
    market.low = std::min(market.low, market.price);
    market.volume += 100LL * std::uniform_int_distribution(50, 5000)(m_random);
}
