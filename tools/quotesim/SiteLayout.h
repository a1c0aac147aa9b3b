#pragma once

#include <chrono>
#include <string>

// The simulated site's frame around a page's main content: a head declaring the charset, the
// header and navigation, market news, ranking sidebar, footer and scripts, as real pages carry.
class SiteLayout {
public:
    struct Frame {
        std::string title;       // plain text, escaped here
        std::string charset;     // "UTF-8", "Shift_JIS", "EUC-JP"
        std::string mainContent; // HTML
        std::string subject;     // company the news list is about; empty for market news only
        std::chrono::sys_seconds asOf{};
    };

    static std::string page(const Frame &frame);
};
