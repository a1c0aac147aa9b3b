#include "AnnexPage.h"

#include "HtmlText.h"

namespace {

std::string stat(const char *label, std::int64_t value) {
    return "<li><span class=\"label\">" + std::string(label) + "</span><b>" +
           HtmlText::withCommas(value) + "</b></li>\n";
}

} // namespace

// The source file in tools/quotesim/sources reads the first cell of the board as the price,
// and the first and fifth of the stats as the volume and the previous close.
std::string AnnexPage::quote(const Quote &quote) {
    const std::string name = HtmlText::escape(quote.name);
    std::string html = "<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<title>" + name + "【" +
                       quote.code + "】 株価 - かぶシム別館</title>\n</head>\n<body>\n" +
                       "<div id=\"quote\">\n<h1>" + name + " <small>" + quote.code +
                       "</small></h1>\n<table class=\"board\">\n<tr><th>現在値</th><td>" +
                       HtmlText::withCommas(quote.price) + "</td><td>" +
                       HtmlText::signedWithCommas(quote.price - quote.previousClose) +
                       "</td></tr>\n</table>\n<ul class=\"stats\">\n";
    html += quote.volumePending ? std::string("<li><span class=\"label\">出来高</span></li>\n")
                                : stat("出来高", quote.volume);
    html += stat("高値", quote.high) + stat("安値", quote.low) + stat("始値", quote.open) +
            stat("前日終値", quote.previousClose);
    return html + "</ul>\n<p class=\"asOf\">" + HtmlText::tokyoClock(quote.asOf) +
           " 現在</p>\n</div>\n</body>\n</html>\n";
}
