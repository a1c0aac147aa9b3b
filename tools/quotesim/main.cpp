// quotesim: the quote-site simulator. Serves /stocks/detail/?code=CODE pages (and the second
// layout under /annex/quote/CODE.html) on 127.0.0.1 and prints its base URL as the first line on
// stdout once it accepts connections.
#include <charconv>
#include <csignal>
#include <cstring>
#include <iostream>
#include <map>
#include <random>
#include <sstream>
#include <string_view>
#include <thread>
#include <vector>

#include <pthread.h>

#include "QuoteSite.h"
#include "QuoteSiteServer.h"
#include "Throttle.h"

namespace {

struct Arguments {
    int port = 18765;
    int slowSeconds = 5;
    std::map<std::string, std::vector<int>> walks;
    int retryAfterSeconds = 0;
};

bool parseNumber(const char *text, int low, int high, int &value) {
    const char *end = text + std::strlen(text);
    const auto [stop, error] = std::from_chars(text, end, value);
    return error == std::errc() && stop == end && value >= low && value <= high;
}

// CODE=PRICE,PRICE*COUNT,...: a price given COUNT times over.
bool parseWalk(std::string_view text, Arguments &arguments) {
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos || equals == 0)
        return false;
    std::vector<int> &prices = arguments.walks[std::string(text.substr(0, equals))];
    std::istringstream items{std::string(text.substr(equals + 1))};
    for (std::string item; std::getline(items, item, ',');) {
        const std::size_t star = item.find('*');
        int price = 0;
        int count = 1;
        if (!parseNumber(item.substr(0, star).c_str(), 1, 100'000'000, price) ||
            (star != std::string::npos && !parseNumber(item.c_str() + star + 1, 1, 10'000, count)))
            return false;
        prices.insert(prices.end(), std::size_t(count), price);
    }
    return !prices.empty();
}

bool parseArguments(int argc, char **argv, Arguments &arguments) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view option = argv[i];
        if (i + 1 == argc)
            return false;
        const char *value = argv[++i];
        const bool ok =
            option == "--port"           ? parseNumber(value, 0, 65535, arguments.port)
            : option == "--slow-seconds" ? parseNumber(value, 0, 3600, arguments.slowSeconds)
            : option == "--retry-after"  ? parseNumber(value, 0, 3600, arguments.retryAfterSeconds)
            : option == "--walk"         ? parseWalk(value, arguments)
                                         : false;
        if (!ok)
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv) {
    Arguments arguments;
    if (!parseArguments(argc, argv, arguments)) {
        std::cerr << "usage: quotesim [--port N (0 = any free port)] [--slow-seconds S]\n"
                     "                [--retry-after S (answer the first quote request 429)]\n"
                     "                [--walk CODE=PRICE,PRICE*COUNT,... (the code's prices, one "
                     "per page)]...\n";
        return 2;
    }
    // Every thread inherits the blocked signals, so only the waiter below ever sees them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    QuoteSite site(std::random_device{}(), std::chrono::seconds(arguments.slowSeconds));
    for (auto &[code, prices] : arguments.walks)
        site.setWalk(code, std::move(prices));
    Throttle throttle(std::chrono::seconds(arguments.retryAfterSeconds));
    QuoteSiteServer server(site, throttle);
    const int port = server.bind(arguments.port);
    if (port < 0) {
        std::cerr << "quotesim: cannot listen on 127.0.0.1:" << arguments.port << "\n";
        return 1;
    }
    std::cout << "http://127.0.0.1:" << port << std::endl;

    std::thread waiter([&] {
        int signal = 0;
        sigwait(&stopSignals, &signal);
        server.stop();
    });
    server.serve();
    // serve() can also end on its own; the waiter must not wait for a signal that never comes.
    pthread_kill(waiter.native_handle(), SIGTERM);
    waiter.join();
    return 0;
}
