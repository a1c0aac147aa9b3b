#include "QuotePage.h"

#include <algorithm>
#include <array>
#include <random>

#include "HtmlText.h"
#include "Listings.h"
#include "SiteLayout.h"

namespace {

std::string breadcrumb(std::string_view last) {
    return "<ol class=\"breadcrumb\"><li><a href=\"/\">トップ</a></li><li><a "
           "href=\"/stocks/\">株価検索</a></li><li>" +
           HtmlText::escape(last) + "</li></ol>\n";
}

std::string direction(std::int64_t change) {
    return change > 0 ? "up" : change < 0 ? "down" : "even";
}

// The scraper reads the second cell of this table, so the issuer cell must come first.
std::string priceTable(const Quote &quote) {
    const int change = quote.price - quote.previousClose;
    const std::string tone = direction(change);
    return "<table class=\"stocksTable\" summary=\"株価\">\n<tr>\n<td class=\"issuer\"><h1>" +
           HtmlText::escape(quote.name) + "</h1><span class=\"code\">" + quote.code +
           "</span> <span class=\"market\">東証プライム</span></td>\n<td class=\"price\">" +
           HtmlText::withCommas(quote.price) + "</td>\n<td class=\"change\"><span class=\"" + tone +
           "\">" + HtmlText::signedWithCommas(change) + "</span> <span class=\"" + tone + "\">(" +
           HtmlText::signedPercent(100.0 * change / quote.previousClose) +
           ")</span></td>\n</tr>\n<tr>\n<td class=\"time\" colspan=\"3\">現在値 (" +
           HtmlText::tokyoClock(quote.asOf) +
           ") 株価は20分以上遅れて表示しています</td>\n</tr>\n</table>\n";
}

std::string figure(std::string_view label, std::string_view value, std::string_view note) {
    const std::string noted =
        note.empty() ? "" : "<span class=\"note\">" + std::string(note) + "</span>";
    return "<div class=\"figure\"><dl><dt>" + std::string(label) + "</dt><dd><strong>" +
           std::string(value) + "</strong>" + noted + "</dd></dl></div>\n";
}

// The scraper takes the first figure as the previous close and the fifth as the volume.
std::string figures(const Quote &quote) {
    std::string html =
        "<div class=\"innerDate\">\n" +
        figure("前日終値", HtmlText::withCommas(quote.previousClose),
               "(" + HtmlText::tokyoMonthDay(HtmlText::previousTokyoWeekday(quote.asOf)) + ")") +
        figure("始値", HtmlText::withCommas(quote.open), "(09:00)") +
        figure("高値", HtmlText::withCommas(quote.high), "") +
        figure("安値", HtmlText::withCommas(quote.low), "");
    if (quote.volumePending)
        return html + "<p class=\"note\">出来高と売買代金は集計中です。</p>\n</div>\n";
    const std::int64_t turnover = quote.volume * quote.price / 1000;
    return html + figure("出来高", HtmlText::withCommas(quote.volume), "株") +
           figure("売買代金", HtmlText::withCommas(turnover), "千円") +
           figure("単元株数", "100", "株") + "</div>\n";
}

std::string chart(const Quote &quote) {
    return "<div class=\"chartBox\"><img src=\"/chart/" + quote.code +
           "/1d.png\" width=\"640\" height=\"280\" alt=\"" + HtmlText::escape(quote.name) +
           "のチャート\"><p class=\"tabs\"><a href=\"#1d\">1日</a><a href=\"#1w\">1週間</a><a "
           "href=\"#1m\">1か月</a><a href=\"#6m\">6か月</a><a href=\"#1y\">1年</a><a "
           "href=\"#5y\">5年</a></p></div>\n";
}

// Past sessions, made up but stable for a code so that reloads agree.
std::string history(const Quote &quote) {
    std::minstd_rand random(static_cast<unsigned>(std::stoul("0" + quote.code) + 1));
    std::uniform_int_distribution<int> move(-20, 20);
    std::uniform_int_distribution<int> lots(20000, 200000);
    std::string html = "<section class=\"box\">\n<h2>時系列</h2>\n<table "
                       "class=\"history\">\n<tr><th>日付</th><th>始値</th><th>高値</th><th>安値</"
                       "th><th>終値</th><th>出来高</th></tr>\n";
    std::chrono::sys_seconds day = quote.asOf;
    int close = quote.previousClose;
    for (int row = 0; row < 10; ++row) {
        day = HtmlText::previousTokyoWeekday(day);
        const int step = std::max(1, close / 400);
        const int open = std::max(1, close + move(random) * step / 4);
        const int high = std::max(open, close) + step * (move(random) + 20) / 8;
        const int low = std::max(1, std::min(open, close) - step * (move(random) + 20) / 8);
        html += "<tr><td>" + HtmlText::tokyoDate(day) + "</td><td>" + HtmlText::withCommas(open) +
                "</td><td>" + HtmlText::withCommas(high) + "</td><td>" + HtmlText::withCommas(low) +
                "</td><td>" + HtmlText::withCommas(close) + "</td><td>" +
                HtmlText::withCommas(100LL * lots(random)) + "</td></tr>\n";
        close = std::max(1, open + move(random) * step / 4);
    }
    return html + "</table>\n</section>\n";
}

// The chart script's data: five-minute prices from the open, ending at the last price.
std::string intradayData(const Quote &quote) {
    std::minstd_rand random(static_cast<unsigned>(quote.price + quote.volume % 1000));
    std::uniform_int_distribution<int> wobble(-3, 3);
    std::uniform_int_distribution<int> share(50, 150);
    const int points = 66;
    const int step = std::max(1, quote.previousClose / 400);
    std::string json = "<script type=\"application/json\" id=\"intraday\">{\"code\":\"" +
                       quote.code + "\",\"previousClose\":" + std::to_string(quote.previousClose) +
                       ",\"points\":[";
    for (int i = 0; i < points; ++i) {
        const int minutes = 9 * 60 + 5 * i + (i >= 30 ? 60 : 0); // the lunch break
        const int trend = quote.open + (quote.price - quote.open) * i / (points - 1);
        const int price = i + 1 == points ? quote.price : trend + wobble(random) * step;
        const std::int64_t volume = quote.volume / points * share(random) / 10000 * 100;
        json += std::string(i ? "," : "") + "{\"t\":\"" + std::to_string(minutes / 60) + ":" +
                (minutes % 60 < 10 ? "0" : "") + std::to_string(minutes % 60) +
                "\",\"p\":" + std::to_string(price) + ",\"v\":" + std::to_string(volume) + "}";
    }
    return json + "]}</script>\n";
}

std::string relatedStocks(const Quote &quote) {
    const auto companies = Listings::regular();
    const size_t first = std::stoul("0" + quote.code) % companies.size();
    std::string html = "<section class=\"box\">\n<h2>この銘柄を見た人はこんな銘柄も見ています</"
                       "h2>\n<table class=\"related\">\n<tr><th>コード</th><th>銘柄名</"
                       "th><th>株価</th><th>前日比</th></tr>\n";
    for (size_t i = 0; i < 12; ++i) {
        const Listing &listing = companies[(first + i * 3) % companies.size()];
        const int change = (static_cast<int>(i % 5) - 2) * std::max(1, listing.typicalPrice / 200);
        html += "<tr><td>" + std::string(listing.code) +
                "</td><td><a href=\"/stocks/detail/?code=" + std::string(listing.code) + "\">" +
                HtmlText::escape(listing.name) + "</a></td><td>" +
                HtmlText::withCommas(listing.typicalPrice) + "</td><td class=\"" +
                direction(change) + "\">" + HtmlText::signedWithCommas(change) + "</td></tr>\n";
    }
    return html + "</table>\n</section>\n";
}

constexpr std::array voices{
    std::pair{"山歩き", "決算発表を前に様子見の雰囲気ですね。出来高が増えてきたのは気になります。"},
    std::pair{"配当生活",
              "長期保有のつもりです。配当が維持される限り、多少の値下がりは気にしません。"},
    std::pair{"朝の一杯", "寄り付きから買いが入っていましたが、前場の後半で伸び悩みました。"},
    std::pair{"週末投資家",
              "業界全体の需要回復が続けば、来期はもう一段の増益もあり得ると思います。"},
    std::pair{"チャート好き",
              "25日線を上抜けてきました。ここで押し目を作るかどうかに注目しています。"},
    std::pair{"慎重派",
              "為替の影響が大きい銘柄なので、しばらくは円相場の動きを見てから判断します。"},
    std::pair{"新米投資家", "初めて買った銘柄です。値動きを毎日見るのが楽しみになりました。"},
    std::pair{"海辺の町",
              "自社株買いの発表があれば下値は限られそうです。株主還元の姿勢は評価できます。"},
};

std::string investorVoices(const Quote &quote) {
    std::string html = "<section class=\"box voices\">\n<h2>投資家の声</h2>\n<ul>\n";
    for (size_t i = 0; i < voices.size(); ++i) {
        const auto when = quote.asOf - std::chrono::minutes(23 * i + 4);
        html += "<li><p class=\"author\">" + std::string(voices[i].first) + " <time>" +
                HtmlText::tokyoMonthDay(when) + " " + HtmlText::tokyoClock(when) +
                "</time></p><p>" + voices[i].second + "</p><p class=\"reaction\">参考になった " +
                std::to_string((i * 17 + 5) % 40) + "</p></li>\n";
    }
    return html + "</ul>\n</section>\n";
}

// Quarterly results, invented from the price level so that the figures look in proportion.
std::string earnings(const Quote &quote) {
    std::string html = "<section class=\"box\">\n<h2>業績推移 (百万円)</h2>\n<table "
                       "class=\"earnings\">\n<tr><th>決算期</th><th>売上高</th><th>営業利益</"
                       "th><th>経常利益</th><th>純利益</th><th>1株利益 (円)</th></tr>\n";
    const std::int64_t base = 1000LL * quote.previousClose;
    for (int quarter = 0; quarter < 8; ++quarter) {
        const int year = 2025 - quarter / 4;
        const std::int64_t sales = base * (100 - quarter * 2 + quarter % 3) / 100;
        html += "<tr><td>" + std::to_string(year) + "年" + std::to_string(12 - quarter % 4 * 3) +
                "月期</td><td>" + HtmlText::withCommas(sales) + "</td><td>" +
                HtmlText::withCommas(sales / 9) + "</td><td>" + HtmlText::withCommas(sales / 8) +
                "</td><td>" + HtmlText::withCommas(sales / 13) + "</td><td>" +
                HtmlText::withCommas(quote.previousClose / 14 + quarter) + "</td></tr>\n";
    }
    return html + "</table>\n</section>\n";
}

std::string profile(const Quote &quote) {
    return "<section class=\"box\">\n<h2>企業情報</h2>\n<dl class=\"profile\"><dt>銘柄名</dt><dd>" +
           HtmlText::escape(quote.name) + "</dd><dt>コード</dt><dd>" + quote.code +
           "</dd><dt>市場</dt><dd>東証プライム</dd><dt>決算期</dt><dd>3月</dd><dt>売買単位</"
           "dt><dd>100株</dd><dt>貸借区分</dt><dd>貸借銘柄</dd></dl>\n</section>\n";
}

} // namespace

std::string QuotePage::quote(const Quote &quote, const std::string &charset) {
    SiteLayout::Frame frame;
    frame.title = quote.name + "【" + quote.code + "】：株価・チャート・ニュース - かぶシム";
    frame.charset = charset;
    frame.mainContent = breadcrumb(quote.name) + priceTable(quote) + figures(quote) + chart(quote) +
                        intradayData(quote) + history(quote) + earnings(quote) +
                        relatedStocks(quote) + investorVoices(quote) + profile(quote);
    frame.subject = quote.name;
    frame.asOf = quote.asOf;
    return SiteLayout::page(frame);
}

std::string QuotePage::notFound(std::string_view code, std::chrono::sys_seconds asOf) {
    SiteLayout::Frame frame;
    frame.title = "銘柄が見つかりません - かぶシム";
    frame.charset = "UTF-8";
    frame.mainContent = breadcrumb("検索結果") +
                        "<section class=\"box notFound\">\n<h1>指定された銘柄が見つかりません</"
                        "h1>\n<p>コード「" +
                        HtmlText::escape(code) +
                        "」に該当する銘柄は見つかりませんでした。上場廃止となった銘柄や、"
                        "コードの入力に誤りがある可能性があります。</p>\n<form action=\"/search\" "
                        "method=\"get\"><input type=\"text\" name=\"q\"> <button "
                        "type=\"submit\">再検索</button></form>\n</section>\n";
    frame.asOf = asOf;
    return SiteLayout::page(frame);
}

std::string QuotePage::serverError() {
    return "<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"UTF-8\">\n<title>"
           "システムエラー - かぶシム</title>\n</head>\n<body>\n<h1>システムエラー</h1>\n<p>"
           "ただいまアクセスが集中しているか、システムに障害が発生しています。しばらく時間を"
           "おいてから、もう一度アクセスしてください。</p>\n<p><a href=\"/\">トップページへ"
           "</a></p>\n</body>\n</html>\n";
}

std::string QuotePage::moved(std::string_view location) {
    const std::string target = HtmlText::escape(location);
    return "<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"UTF-8\">\n<title>"
           "ページが移動しました</title>\n</head>\n<body>\n<p><a href=\"" +
           target + "\">" + target + "</a> に移動しました。</p>\n</body>\n</html>\n";
}
