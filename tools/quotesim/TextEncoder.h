#pragma once

#include <string>
#include <string_view>

// Converts the simulator's UTF-8 pages into the legacy charsets some quote sites still serve.
class TextEncoder {
public:
    // Throws std::runtime_error when the charset is unknown or cannot hold a character, so a
    // page never goes out with characters silently replaced.
    static std::string fromUtf8(std::string_view text, const std::string &charset);
};
