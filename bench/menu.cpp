// The stocks-menu rebuild with 1,000 securities, offscreen: the median of many rebuilds, each
// after a refresh pass that changed every price, so that every line gets a new text. Timed in the
// thread's CPU time, which other programs on a busy machine do not stretch as they do the wall
// clock. With --exported the menu is also shown to a panel over com.canonical.dbusmenu, and each
// rebuild includes what the exporter sends the panel about it.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include <time.h>

#include <QApplication>
#include <QMenu>
#include <QTemporaryDir>

#include "DBusMenuExporter.h"

#include "StatusViewController.h"
#include "Stock.h"
#include "StockManager.h"
#include "UserDefaults.h"

namespace {

constexpr int kSecurities = 1000;
constexpr int kRebuilds = 15;

QByteArray quotePage(const QString &code, int price) {
    QString figures;
    for (int figure : {price - 20, 0, 0, 0, 123456})
        figures += QStringLiteral("<div><dl><dd><strong>%1</strong></dd></dl></div>").arg(figure);
    return QStringLiteral("<html><head><title>Company %1\u3010%1\u3011</title></head><body>"
                          "<table class=\"stocksTable\"><tr><td>%1</td><td>%2</td></tr></table>"
                          "<div class=\"innerDate\">%3</div></body></html>")
        .arg(code)
        .arg(price)
        .arg(figures)
        .toUtf8();
}

double cpuMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

QStringList codes() {
    QStringList list;
    for (int i = 0; i < kSecurities; ++i)
        list << QString::number(1000 + i);
    return list;
}

// Every tenth security never read: it shows as unread and is marked stale.
void readQuotes(const StockManager &manager, int pass) {
    int index = 0;
    for (const auto &stock : manager.stocks()) {
        if (index++ % 10 != 0)
            stock->updateWithPage(quotePage(stock->code(), 1000 + index + pass));
    }
}

} // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QTemporaryDir dir;
    UserDefaults defaults(dir.filePath(QStringLiteral("kabu-ticker.conf")));
    defaults.setValue(UserDefaults::KEY_CODES, codes());
    StockManager manager(defaults, QStringLiteral("http://quotes.test"));
    StatusViewController controller(manager, defaults);
    const bool exported = app.arguments().contains(QStringLiteral("--exported"));
    std::unique_ptr<DBusMenuExporter> exporter;
    if (exported)
        exporter = std::make_unique<DBusMenuExporter>(controller.statusMenu(), "/MenuBar");
    readQuotes(manager, 0);
    controller.updateStockMenu(); // the first fills the caches of Qt and ICU
    std::vector<double> milliseconds;
    for (int i = 0; i < kRebuilds; ++i) {
        readQuotes(manager, i + 1);
        if (exporter)
            (void)exporter->layout(0, -1, {}); // the panel has read every line
        const double start = cpuMilliseconds();
        controller.updateStockMenu();
        if (exporter)
            QCoreApplication::processEvents(); // the exporter's signals for the rebuild
        milliseconds.push_back(cpuMilliseconds() - start);
    }
    std::sort(milliseconds.begin(), milliseconds.end());
    std::printf("menu rebuild %d%s = %.2f ms (median of %d; budget 10 ms)\n", kSecurities,
                exported ? " exported" : "", milliseconds.at(milliseconds.size() / 2), kRebuilds);
    return 0;
}
