#include <memory>

#include <QtDBus>
#include <QtTest>

#include "DBusMenuTypes.h"
#include "DisplayPlaceSwitch.h"
#include "PanelStub.h"
#include "PanelTicker.h"
#include "QuotePage.h"
#include "StatusBar.h"
#include "StatusNotifierDBusTypes.h"
#include "StatusNotifierItem.h"
#include "StatusTrayIcon.h"
#include "StatusViewController.h"
#include "Stock.h"
#include "StockManager.h"
#include "UrlRecorder.h"
#include "UserDefaults.h"

namespace {

const QString kBaseURL = QStringLiteral("http://quotes.test");

// The program's ticker over a throw-away settings file whose watch list holds the given codes.
struct Ticker {
    explicit Ticker(const QStringList &codes) {
        defaults.setValue(UserDefaults::KEY_CODES, codes);
        manager = std::make_unique<StockManager>(defaults, kBaseURL);
        controller = std::make_unique<StatusViewController>(*manager, defaults);
    }
    std::shared_ptr<Stock> stock(int index) const { return manager->stocks().at(index); }
    bool stripShown() const {
        return controller->statusItem()->isVisible() || controller->trayIcon()->isVisible();
    }

    QTemporaryDir dir;
    UserDefaults defaults{dir.filePath(QStringLiteral("kabu-ticker.conf"))};
    std::unique_ptr<StockManager> manager;
    std::unique_ptr<StatusViewController> controller;
};

DBusMenuLayoutItem menuLayout(PanelHost &host) {
    const QDBusMessage reply = host.callMenu(QStringLiteral("GetLayout"), {0, -1, QStringList()});
    return qdbus_cast<DBusMenuLayoutItem>(reply.arguments().value(1).value<QDBusArgument>());
}

bool menuEvent(PanelHost &host, int id, const QString &eventId) {
    const QVariantList args{id, eventId, QVariant::fromValue(QDBusVariant(0)), 0u};
    return host.callMenu(QStringLiteral("Event"), args).type() == QDBusMessage::ReplyMessage;
}

int idOf(const DBusMenuLayoutItem &parent, const QString &label) {
    for (const DBusMenuLayoutItem &child : parent.children) {
        if (child.properties.value(QStringLiteral("label")).toString() == label)
            return child.id;
    }
    return -1;
}

} // namespace

// The ticker in a panel, over a session bus of its own (dbus-run-session) where this test is the
// panel: its watcher, and the host that reads the item and drives the exported menu.
class tst_PanelTicker : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QVERIFY2(QDBusConnection::sessionBus().isConnected(), "no session bus");
        qputenv("XDG_CURRENT_DESKTOP", "MATE");
        QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
        registerDBusMenuTypes();
        registerStatusNotifierDBusTypes();
    }

    void labelCarriesCodeMarkAndPrice_data() {
        QTest::addColumn<QString>("price");
        QTest::addColumn<QString>("prevClose");
        QTest::addColumn<QString>("label");
        QTest::newRow("up") << "1,500"
                            << "1,450"
                            << "1234 ▲1,500";
        QTest::newRow("down") << "12,345"
                              << "12,400"
                              << "1234 ▼12,345";
        QTest::newRow("unchanged") << "2,000"
                                   << "2,000"
                                   << "1234 ＝2,000";
        QTest::newRow("never fetched") << QString() << QString() << "1234 -";
    }
    void labelCarriesCodeMarkAndPrice() {
        QFETCH(QString, price);
        QFETCH(QString, prevClose);
        QFETCH(QString, label);
        Stock stock(QStringLiteral("1234"), kBaseURL);
        if (!price.isNull())
            QVERIFY(stock.updateWithPage(quotePage("1234", "Example", price, prevClose)));
        QCOMPARE(PanelTicker::labelText(stock), label);
    }

    // The only case that ticks: the rotation is one for the whole process.
    void labelsFollowTheRotationAndHoldWhileTheMenuIsOpen() {
        PanelWatcher watcher;
        QVERIFY(watcher.start());
        Ticker t({"1111", "2222", "3333"});
        QVERIFY(t.stock(0)->updateWithPage(quotePage("1111", "S&B", "1,500", "1,450")));
        QVERIFY(t.stock(1)->updateWithPage(quotePage("2222", "Example", "12,345", "12,400")));
        t.controller->updateStockMenu(); // 3333, never read, is marked stale
        QTRY_COMPARE(watcher.registered.size(), 1);
        QVERIFY(!t.stripShown());
        PanelHost host(watcher.registered.at(0));
        QCOMPARE(host.property(QStringLiteral("XAyatanaLabel")).toString(),
                 QStringLiteral("Kabu Ticker"));

        t.controller->loadItem();
        QVERIFY(menuEvent(host, 0, QStringLiteral("opened")));
        t.controller->loadItem();
        QVERIFY(menuEvent(host, 0, QStringLiteral("closed")));
        t.controller->loadItem();
        const auto tip = [&host] {
            return qdbus_cast<StatusNotifierToolTip>(
                host.property(QStringLiteral("ToolTip")).value<QDBusArgument>());
        };
        QCOMPARE(tip().title, QStringLiteral("2222 Example"));
        t.controller->loadItem();
        const QString guide = QStringLiteral("2222 ▼12,345");
        const QList<QStringList> expected{
            {"1111 ▲1,500", guide}, {"2222 ▼12,345", guide}, {"3333 -", guide}};
        QTRY_COMPARE(host.labels, expected);
        QCOMPARE(tip().title, QStringLiteral("3333"));
        QVERIFY2(tip().text.contains(QStringLiteral("まだ更新されていません")),
                 qPrintable(tip().text));
    }

    void clickedLineOpensItsPage() {
        PanelWatcher watcher;
        QVERIFY(watcher.start());
        Ticker t({"1111", "2222"});
        t.controller->updateStockMenu();
        QTRY_COMPARE(watcher.registered.size(), 1);
        PanelHost host(watcher.registered.at(0));
        UrlRecorder browser;
        const DBusMenuLayoutItem root = menuLayout(host);
        const int stocks = idOf(root, QStringLiteral("銘柄"));
        QVERIFY(stocks > 0);
        const auto it = std::find_if(root.children.begin(), root.children.end(),
                                     [stocks](const auto &item) { return item.id == stocks; });
        QCOMPARE(it->children.size(), 2);
        QVERIFY(menuEvent(host, it->children.at(1).id, QStringLiteral("clicked")));
        QTRY_COMPARE(browser.urls, QList<QUrl>{QUrl(kBaseURL + "/stocks/detail/?code=2222")});
    }

    void theStripStandsInWhileTheWatcherIsGone() {
        PanelWatcher watcher;
        QVERIFY(watcher.start());
        Ticker t({"1111"});
        QTRY_COMPARE(watcher.registered.size(), 1);
        QVERIFY(!t.stripShown());
        QVERIFY(watcher.stop());
        QTRY_VERIFY(t.controller->statusItem()->isVisible());
        QVERIFY(watcher.start());
        QTRY_COMPARE(watcher.registered.size(), 2);
        QVERIFY(!t.stripShown());
        t.controller->displayPlace()->setChoice(QStringLiteral("strip"));
        QVERIFY(t.controller->statusItem()->isVisible());
        QVERIFY(!QDBusConnection::sessionBus().interface()->isServiceRegistered(
            watcher.registered.at(1)));
    }
};

QTEST_MAIN(tst_PanelTicker)
#include "tst_PanelTicker.moc"
