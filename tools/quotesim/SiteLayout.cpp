#include "SiteLayout.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <string_view>

#include "HtmlText.h"
#include "Listings.h"

// Everything here must survive Shift_JIS and EUC-JP: no backslash or tilde (0x5C and 0x7E read
// back as yen sign and overline) and only characters of JIS X 0208.
namespace {

constexpr std::string_view siteName = "かぶシム";

constexpr std::string_view styleSheet = R"(
body{margin:0;font-family:"Noto Sans CJK JP",sans-serif;font-size:14px;color:#222;background:#f4f5f7}
a{color:#1a4f9c;text-decoration:none}a:hover{text-decoration:underline}
.siteHeader{background:#0d2b52;color:#fff;padding:8px 16px;display:flex;align-items:center}
.siteHeader .logo{font-size:22px;font-weight:bold;color:#fff;margin-right:24px}
.siteHeader form{flex:1}.siteHeader input[type=text]{width:60%;padding:4px 8px;border-radius:3px;border:0}
.siteHeader .account a{color:#cfe0ff;margin-left:12px;font-size:12px}
.globalNav{background:#163d70}.globalNav ul{margin:0;padding:0 16px;list-style:none;display:flex}
.globalNav li a{display:block;padding:8px 14px;color:#fff;font-size:13px}
.globalNav li.current a{background:#f4f5f7;color:#0d2b52;font-weight:bold}
.globalNav li{position:relative}.globalNav .dropDown{display:none;position:absolute;top:100%;left:0;z-index:10;background:#fff;border:1px solid #dde1e7;min-width:200px;padding:8px}
.globalNav li:hover .dropDown{display:block}.globalNav .dropDown a{color:#1a4f9c;padding:4px 8px}
.globalNav .dropDown .heading{font-weight:bold;color:#0d2b52;margin:0 0 4px}.globalNav .dropDown ul{list-style:none;margin:0;padding:0}
.wrapper{display:flex;max-width:1200px;margin:0 auto;padding:16px}
.main{flex:1;background:#fff;padding:16px 24px;border:1px solid #dde1e7}
.side{width:300px;margin-left:16px}
.breadcrumb{font-size:12px;color:#666;margin-bottom:8px}.breadcrumb li{display:inline}
.breadcrumb li+li:before{content:" > "}
.stocksTable{width:100%;border-collapse:collapse;margin:8px 0 16px}
.stocksTable td{padding:6px 8px;vertical-align:bottom}.stocksTable .issuer h1{margin:0;font-size:24px}
.stocksTable .price{font-size:32px;font-weight:bold;text-align:right}
.stocksTable .change{font-size:16px}.up{color:#d4001a}.down{color:#0a7d2c}.even{color:#555}
.innerDate{display:flex;flex-wrap:wrap;border-top:1px solid #dde1e7;margin-bottom:16px}
.innerDate .figure{width:25%;box-sizing:border-box;padding:8px;border-bottom:1px solid #eef0f3}
.innerDate dt{font-size:12px;color:#666}.innerDate dd{margin:0;font-size:16px}
.innerDate .note{font-size:11px;color:#888;margin-left:4px}
.chartBox{height:280px;background:#fafbfc;border:1px solid #eef0f3;margin-bottom:16px;position:relative}
.chartBox .tabs{position:absolute;top:4px;right:8px}.chartBox .tabs a{margin-left:8px;font-size:12px}
.history,.rankTable,.indexTable{width:100%;border-collapse:collapse;font-size:13px}
.history th,.history td{border-bottom:1px solid #eef0f3;padding:4px 6px;text-align:right}
.history th:first-child,.history td:first-child{text-align:left}
.profile dt{float:left;clear:left;width:120px;color:#666}.profile dd{margin-left:130px;margin-bottom:4px}
.newsList{list-style:none;padding:0}.newsList li{padding:6px 0;border-bottom:1px dotted #dde1e7}
.newsList time{color:#888;font-size:12px;margin-right:8px}.newsList .source{color:#999;font-size:11px;margin-left:6px}
.box{background:#fff;border:1px solid #dde1e7;margin-bottom:16px;padding:8px 12px}
.box h2{font-size:15px;margin:4px 0 8px;border-left:4px solid #163d70;padding-left:6px}
.rankTable td{padding:3px 4px;border-bottom:1px solid #f0f1f3}.rankTable .rank{width:24px;color:#888}
.tags a{display:inline-block;margin:2px;padding:2px 8px;background:#eef3fb;border-radius:10px;font-size:12px}
.siteFooter{background:#0d2b52;color:#cfd8e6;padding:24px 16px;font-size:12px}
.siteFooter .sitemap{display:flex;flex-wrap:wrap;max-width:1200px;margin:0 auto}
.siteFooter .sitemap dl{width:16%;margin:0 0 12px}.siteFooter dt{color:#fff;font-weight:bold;margin-bottom:4px}
.siteFooter dd{margin:0 0 2px}.siteFooter a{color:#cfd8e6}
.siteFooter .disclaimer{max-width:1200px;margin:12px auto;line-height:1.6}
.siteFooter .copyright{text-align:center;margin-top:16px;color:#8ea0bd}
)";

constexpr std::array navigation{
    std::pair{"/", "トップ"},
    std::pair{"/stocks/", "株価検索"},
    std::pair{"/ranking/", "ランキング"},
    std::pair{"/news/", "ニュース"},
    std::pair{"/market/", "市況"},
    std::pair{"/fund/", "投資信託"},
    std::pair{"/fx/", "為替"},
    std::pair{"/futures/", "先物・オプション"},
    std::pair{"/portfolio/", "ポートフォリオ"},
    std::pair{"/calendar/", "決算カレンダー"},
    std::pair{"/help/", "ヘルプ"},
};

// "{s}" is the company the page is about, "{o}" another listed company.
constexpr std::array headlines{
    "{s}、通期の業績予想を上方修正 営業利益は前期比で増加の見通し",
    "東証プライム市場、前引けは小幅反落 利益確定の売りが優勢",
    "{s}が続伸、海外投資家による買いが続く",
    "{o}と{s}が物流分野での業務提携を発表",
    "日経平均株価、午後は下げ幅を縮小 半導体関連に買い戻し",
    "{s}、自己株式の取得状況を公表",
    "為替は円安方向に振れる 輸出関連株に追い風",
    "{o}、新しい中期経営計画を発表 株主還元を強化",
    "{s}の目標株価を引き上げ 大手証券が投資判断を据え置き",
    "グロース市場はまちまち、指数は小反発で取引を終える",
    "{o}が年初来高値を更新、業績の先行きに期待",
    "{s}、株主優待制度の変更を発表",
    "長期金利が上昇、銀行株に買いが広がる",
    "{o}、国内工場の生産能力を増強へ",
    "{s}の第3四半期決算、売上高は市場予想を上回る",
    "東証大引け、日経平均は3日ぶりに反発",
    "{o}が急落、一部製品の出荷停止を嫌気",
    "{s}、新社長の就任を正式に発表",
    "原油先物が反落、資源関連株は軟調な展開",
    "{o}と{s}、脱炭素に向けた共同研究を開始",
    "東証寄り付き、日経平均は続落して始まる",
    "{s}の信用取引残高、買い残が増加",
    "{o}、配当予想を増額修正",
    "来週の相場展望、米国の雇用統計に注目集まる",
};

constexpr std::array newsSources{"かぶシム編集部", "適時開示", "市場ニュース", "決算速報"};

constexpr std::array themes{"半導体",
                            "生成AI",
                            "円安メリット",
                            "高配当",
                            "防衛",
                            "インバウンド",
                            "再生可能エネルギー",
                            "電気自動車",
                            "データセンター",
                            "株主優待",
                            "サイバーセキュリティ",
                            "宇宙開発",
                            "水素",
                            "医療機器",
                            "ゲーム"};

struct SitemapColumn {
    std::string_view heading;
    std::array<std::string_view, 10> links;
};

// The footer's site map; the navigation's drop-down menus show the same columns.
constexpr std::array sitemap{
    SitemapColumn{"株式",
                  {"株価検索", "株主優待", "配当利回り", "新規上場", "決算発表", "適時開示",
                   "信用残高", "大量保有報告", "立会外分売", "上場廃止"}},
    SitemapColumn{"ランキング",
                  {"値上がり率", "値下がり率", "出来高", "売買代金", "年初来高値", "年初来安値",
                   "ストップ高", "ストップ安", "配当利回り", "時価総額"}},
    SitemapColumn{"ニュース",
                  {"国内株式", "海外市況", "企業動向", "経済指標", "コラム", "特集", "動画",
                   "決算速報", "IPO情報", "アナリスト予想"}},
    SitemapColumn{"マーケット",
                  {"日経平均", "TOPIX", "グロース指数", "米国株", "為替", "金利", "商品先物",
                   "暗号資産", "世界の指数", "業種別指数"}},
    SitemapColumn{"投資信託",
                  {"ファンド検索", "運用成績", "積立シミュレーション", "分配金", "新規設定", "ETF",
                   "REIT", "つみたて投資枠", "成長投資枠", "純資産総額"}},
    SitemapColumn{"為替",
                  {"米ドル/円", "ユーロ/円", "英ポンド/円", "豪ドル/円", "人民元/円",
                   "為替チャート", "通貨換算", "外貨預金金利", "スワップポイント",
                   "経済カレンダー"}},
    SitemapColumn{"ツール",
                  {"ポートフォリオ", "アラート", "スクリーニング", "チャート比較", "決算カレンダー",
                   "アプリ", "ウィジェット", "メール配信", "RSS", "お気に入り"}},
    SitemapColumn{"ヘルプ",
                  {"はじめての方へ", "よくある質問", "用語集", "お問い合わせ", "利用規約",
                   "プライバシー", "サイトマップ", "広告掲載", "運営会社", "採用情報"}},
};

std::string replaceAll(std::string text, std::string_view from, std::string_view to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

std::string charsetDeclaration(const std::string &charset) {
    if (charset == "UTF-8")
        return "<meta charset=\"UTF-8\">\n";
    // Sites that still serve legacy encodings tend to declare them the old way.
    return "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=" + charset + "\">\n";
}

std::string head(const SiteLayout::Frame &frame) {
    const std::string title = HtmlText::escape(frame.title);
    return "<head>\n" + charsetDeclaration(frame.charset) + "<title>" + title +
           "</title>\n"
           "<meta name=\"viewport\" content=\"width=device-width,initial-scale=1\">\n"
           "<meta name=\"description\" content=\"" +
           title + "。株価、チャート、時系列、ニュース、企業情報を掲載しています。\">\n" +
           "<meta property=\"og:site_name\" content=\"" + std::string(siteName) +
           "\">\n<meta property=\"og:title\" content=\"" + title +
           "\">\n<meta property=\"og:type\" content=\"article\">\n"
           "<link rel=\"icon\" href=\"/favicon.ico\">\n"
           "<link rel=\"stylesheet\" href=\"/static/css/site.css?v=20261201\">\n<style>" +
           std::string(styleSheet) + "</style>\n</head>\n";
}

std::string dropDown(size_t index) {
    if (index == 0 || index > sitemap.size())
        return {};
    const SitemapColumn &column = sitemap[index - 1];
    std::string html =
        "<div class=\"dropDown\"><p class=\"heading\">" + std::string(column.heading) + "</p><ul>";
    for (size_t i = 0; i < column.links.size(); ++i)
        html += "<li><a href=\"/guide/" + std::to_string(index * 100 + i) + "\">" +
                std::string(column.links[i]) + "</a></li>";
    return html + "</ul></div>";
}

std::string header() {
    std::string html =
        "<header class=\"siteHeader\">\n<a class=\"logo\" href=\"/\">" + std::string(siteName) +
        "</a>\n<form action=\"/search\" method=\"get\"><input type=\"text\" "
        "name=\"q\" placeholder=\"銘柄名・コードで検索\"> <button "
        "type=\"submit\">検索</button></form>\n<div class=\"account\"><a "
        "href=\"/login\">ログイン</a><a href=\"/signup\">無料会員登録</a><a "
        "href=\"/help/\">ヘルプ</a></div>\n</header>\n<nav class=\"globalNav\"><ul>\n";
    for (size_t i = 0; i < navigation.size(); ++i) {
        const auto &[href, label] = navigation[i];
        const bool current = std::string_view(href) == "/stocks/";
        html += std::string(current ? "<li class=\"current\">" : "<li>") + "<a href=\"" + href +
                "\">" + label + "</a>" + dropDown(i) + "</li>\n";
    }
    return html + "</ul></nav>\n";
}

// Inline icon sprites, as most sites carry them; the shapes are plain generated polygons.
std::string iconSprite() {
    std::string html = "<svg xmlns=\"http://www.w3.org/2000/svg\" style=\"display:none\">\n";
    for (int icon = 0; icon < 18; ++icon) {
        const int corners = 5 + icon % 7;
        std::string path;
        for (int corner = 0; corner < 2 * corners; ++corner) {
            const double angle = 3.14159265358979 * corner / corners + 0.1 * icon;
            const double radius = corner % 2 ? 4.75 + 0.25 * (icon % 5) : 11.5;
            char point[48];
            std::snprintf(point, sizeof point, "%s%.3f %.3f", corner ? "L" : "M",
                          12 + radius * std::cos(angle), 12 + radius * std::sin(angle));
            path += point;
        }
        html += "<symbol id=\"icon-" + std::to_string(icon) +
                "\" viewBox=\"0 0 24 24\"><path fill=\"currentColor\" d=\"" + path +
                "Z\"/></symbol>\n";
    }
    return html + "</svg>\n";
}

std::string newsList(const SiteLayout::Frame &frame) {
    const auto companies = Listings::regular();
    const std::string subject =
        HtmlText::escape(frame.subject.empty() ? companies[0].name : frame.subject);
    std::string html =
        "<section class=\"box news\">\n<h2>" +
        (frame.subject.empty() ? std::string("マーケットニュース") : subject + "の関連ニュース") +
        "</h2>\n<ul class=\"newsList\">\n";
    // Older days repeat the kinds of story with other companies, as a real archive would; the
    // length brings a page to the 60-90 KB of a real quote page.
    for (size_t i = 0; i < 130; ++i) {
        const std::string other =
            HtmlText::escape(companies[(i * 7 + frame.subject.size()) % companies.size()].name);
        const auto when = frame.asOf - std::chrono::minutes(37 * i + 12);
        html +=
            "<li><time datetime=\"" + HtmlText::tokyoDate(when) + "\">" +
            HtmlText::tokyoMonthDay(when) + " " + HtmlText::tokyoClock(when) +
            "</time><a href=\"/news/detail/" + std::to_string(20261200 + i * 13) + "\">" +
            replaceAll(replaceAll(headlines[i % headlines.size()], "{s}", subject), "{o}", other) +
            "</a><span class=\"source\">" + newsSources[i % newsSources.size()] + "</span></li>\n";
    }
    return html +
           "</ul>\n<p class=\"more\"><a href=\"/news/\">ニュース一覧へ</a></p>\n</section>\n";
}

std::string ranking(std::string_view title, size_t offset, bool rising) {
    const auto companies = Listings::regular();
    std::string html = "<section class=\"box\">\n<h2>" + std::string(title) +
                       "</h2>\n<table class=\"rankTable\">\n";
    for (size_t rank = 1; rank <= 10; ++rank) {
        const Listing &listing = companies[(offset + rank * 5) % companies.size()];
        const double percent = (rising ? 1 : -1) * (12.5 - static_cast<double>(rank) * 0.9);
        html += "<tr><td class=\"rank\">" + std::to_string(rank) +
                "</td><td><a href=\"/stocks/detail/?code=" + std::string(listing.code) + "\">" +
                HtmlText::escape(listing.name) + "</a> (" + std::string(listing.code) +
                ")</td><td class=\"" + (rising ? "up" : "down") + "\">" +
                HtmlText::signedPercent(percent) + "</td></tr>\n";
    }
    return html + "</table>\n</section>\n";
}

std::string sidebar() {
    std::string html = "<aside class=\"side\">\n<section class=\"box\">\n<h2>主要指標</h2>\n<table "
                       "class=\"indexTable\">\n<tr><td>日経平均</td><td>38,912.44</td><td "
                       "class=\"up\">+215.30</td></tr>\n<tr><td>TOPIX</td><td>2,741.05</td><td "
                       "class=\"up\">+12.87</td></tr>\n<tr><td>グロース250</td><td>642.18</td><td "
                       "class=\"down\">-3.41</td></tr>\n<tr><td>米ドル/円</td><td>151.42</td><td "
                       "class=\"up\">+0.36</td></tr>\n<tr><td>ユーロ/円</td><td>163.88</td><td "
                       "class=\"down\">-0.12</td></tr>\n</table>\n</section>\n";
    html += ranking("値上がり率ランキング", 0, true);
    html += ranking("値下がり率ランキング", 3, false);
    html += ranking("出来高ランキング", 8, true);
    html += ranking("売買代金ランキング", 13, true);
    html += "<section class=\"box\">\n<h2>注目のテーマ</h2>\n<p class=\"tags\">";
    for (const char *theme : themes)
        html += std::string("<a href=\"/theme/?name=") + theme + "\">" + theme + "</a>";
    return html + "</p>\n</section>\n</aside>\n";
}

std::string footer() {
    std::string html = "<footer class=\"siteFooter\">\n<div class=\"sitemap\">\n";
    for (const SitemapColumn &column : sitemap) {
        html += "<dl><dt>" + std::string(column.heading) + "</dt>";
        for (size_t i = 0; i < column.links.size(); ++i)
            html += "<dd><a href=\"/guide/" + std::to_string(i + 1) + "\">" +
                    std::string(column.links[i]) + "</a></dd>";
        html += "</dl>\n";
    }
    return html +
           "</div>\n<div class=\"disclaimer\">\n<p>当サイトに掲載している株価、指数、為替などの"
           "情報は、取引所や情報提供元から配信されたものを加工して表示しており、その正確性や"
           "完全性を保証するものではありません。株価は少なくとも20分遅れで表示しています。</p>\n"
           "<p>掲載している情報は投資判断の参考となる情報の提供を目的としたものであり、投資勧誘を"
           "目的としたものではありません。投資に関する最終決定は、利用者ご自身の判断でなさる"
           "ようお願いいたします。</p>\n<p>当サイトの情報に基づいて被ったいかなる損害について"
           "も、当社および情報提供元は一切の責任を負いません。掲載内容は予告なく変更されることが"
           "あります。</p>\n<p>当サイトのコンテンツの無断転載、複製、改変、再配布を禁じます。"
           "</p>\n</div>\n<p class=\"copyright\">Copyright (C) " +
           std::string(siteName) + " All Rights Reserved.</p>\n</footer>\n";
}

std::string scripts() {
    return R"(<script>
window.dataLayer = window.dataLayer || [];
function track(name, detail) { window.dataLayer.push({ event: name, detail: detail }); }
(function () {
  var times = document.querySelectorAll('.newsList time');
  for (var i = 0; i !== times.length; i++) { times[i].title = times[i].getAttribute('datetime'); }
  var links = document.querySelectorAll('.rankTable a');
  for (var j = 0; j !== links.length; j++) {
    links[j].addEventListener('click', function (e) { track('rank_click', e.target.textContent); });
  }
})();
</script>
<script async src="/static/js/chart.js?v=20261201"></script>
)";
}

} // namespace

std::string SiteLayout::page(const Frame &frame) {
    return "<!DOCTYPE html>\n<html lang=\"ja\">\n" + head(frame) + "<body>\n" + iconSprite() +
           header() + "<div class=\"wrapper\">\n<main class=\"main\">\n" + frame.mainContent +
           newsList(frame) + "</main>\n" + sidebar() + "</div>\n" + footer() + scripts() +
           "</body>\n</html>\n";
}
