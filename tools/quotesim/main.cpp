// quotesim: the quote-site simulator. Serves /stocks/detail/?code=NNNN pages (and the second
// layout under /annex/quote/NNNN.html) on 127.0.0.1 and prints its base URL as the first line on
// stdout once it accepts connections.
#include <charconv>
#include <csignal>
#include <cstring>
#include <iostream>
#include <random>
#include <string_view>
#include <thread>

#include <pthread.h>

#include "QuoteSite.h"
#include "QuoteSiteServer.h"

namespace {

struct Arguments {
    int port = 18765;
    int slowSeconds = 5;
};

bool parseNumber(const char *text, int low, int high, int &value) {
    const char *end = text + std::strlen(text);
    const auto [stop, error] = std::from_chars(text, end, value);
    return error == std::errc() && stop == end && value >= low && value <= high;
}

bool parseArguments(int argc, char **argv, Arguments &arguments) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view option = argv[i];
        if (i + 1 == argc)
            return false;
        const char *value = argv[++i];
        const bool ok = option == "--port" ? parseNumber(value, 0, 65535, arguments.port)
                        : option == "--slow-seconds"
                            ? parseNumber(value, 0, 3600, arguments.slowSeconds)
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
        std::cerr << "usage: quotesim [--port N (0 = any free port)] [--slow-seconds S]\n";
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
    QuoteSiteServer server(site);
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
