#pragma once

#include <span>
#include <string_view>

// One security the simulated site lists: its code, company name and a typical price in yen.
struct Listing {
    std::string_view code;
    std::string_view name;
    int typicalPrice;
};

// The simulated site's securities: real Tokyo Stock Exchange codes with their companies, codes
// with letters (130A, 2A46, 8A9A), and the codes 9991-9997, whose invented companies act out the
// failures a real quote site shows.
class Listings {
public:
    static std::span<const Listing> regular();
    static std::span<const Listing> failing();
    static const Listing *find(std::string_view code);
};
