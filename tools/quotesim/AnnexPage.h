#pragma once

#include <string>

#include "Quote.h"

// The simulated site's second layout, "かぶシム別館": the same quotes under another address
// and markup, with the figures in another order and no charset declared anywhere, so that only
// a source naming the encoding reads it.
class AnnexPage {
public:
    static constexpr const char *pathPrefix = "/annex/quote/";

    // A plain text page, UTF-8; the caller encodes it.
    static std::string quote(const Quote &quote);
};
