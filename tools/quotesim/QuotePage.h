#pragma once

#include <chrono>
#include <string>
#include <string_view>

#include "Quote.h"

// The simulated site's pages as UTF-8 HTML text, made from values alone: a security's quote
// page, the not-found page, the server-error page and the body of a redirect.
class QuotePage {
public:
    // The charset is only declared here; encoding the text is the caller's business.
    static std::string quote(const Quote &quote, const std::string &charset);
    static std::string notFound(std::string_view code, std::chrono::sys_seconds asOf);
    static std::string serverError();
    static std::string moved(std::string_view location);
};
