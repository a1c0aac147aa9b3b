#pragma once

#include <chrono>
#include <cstdint>
#include <string>

// One moment's quote of a security: everything a quote page shows about it.
struct Quote {
    std::string code;
    std::string name;
    int price = 0;
    int previousClose = 0;
    int open = 0;
    int high = 0;
    int low = 0;
    std::int64_t volume = 0;
    bool volumePending = false; // the site has no volume yet, so the page shows fewer figures
    std::chrono::sys_seconds asOf{};
};
