#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include <QMainWindow>
#include <QMenu>
#include <QTableView>
#include <QtTest>

#include "AppDelegate.h"
#include "ConfigWindowController.h"
#include "LocalHttpServer.h"
#include "StatusViewController.h"
#include "StockManager.h"
#include "UserDefaults.h"

using namespace std::chrono_literals;

namespace {

constexpr auto kBound = 10s;
const QStringList kCodes{"7203", "6758", "9984"};

// A quote site that takes every request and holds it unanswered until released, so that the
// refresh loop's first pass stays inside its first fetch.
class StalledSite {
public:
    StalledSite() {
        m_server.server().Get("/stocks/detail/", [this](const httplib::Request &request,
                                                        httplib::Response &response) {
            std::unique_lock lock(m_mutex);
            m_requestedCodes.append(QString::fromStdString(request.get_param_value("code")));
            m_changed.notify_all();
            m_changed.wait_for(lock, 3 * kBound, [this] { return m_released; });
            response.set_content("<html></html>", "text/html");
        });
    }
    ~StalledSite() {
        std::lock_guard lock(m_mutex);
        m_released = true;
        m_changed.notify_all();
    }

    bool start() { return m_server.start(); }
    QString baseURL() const { return m_server.baseURL(); }

    QStringList waitForRequest() {
        std::unique_lock lock(m_mutex);
        m_changed.wait_for(lock, kBound, [this] { return !m_requestedCodes.isEmpty(); });
        return m_requestedCodes;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    QStringList m_requestedCodes;
    bool m_released = false;
    LocalHttpServer m_server; // last: its handlers use the members above until it stops
};

// Notes in order each rebuild of the stocks menu ('r'), seen as the reload of the preferences
// table that ends it, and whether one ran off the main thread.
class RebuildWatch : public QObject {
public:
    explicit RebuildWatch(StatusViewController *controller) {
        ConfigWindowController *preferences = controller->configWindowController();
        preferences->showWindow();
        connect(preferences->window()->findChild<QTableView *>("tableView")->model(),
                &QAbstractItemModel::modelReset, this, [this] {
                    log += 'r';
                    offMainThread = offMainThread || QThread::currentThread() != qApp->thread();
                });
    }
    QByteArray log;
    bool offMainThread = false;
};

// A launched AppDelegate over throw-away settings whose watch list reads a stalled site.
struct Launched {
    Launched() {
        defaults.setValue(UserDefaults::KEY_CODES, kCodes);
        defaults.setValue(UserDefaults::KEY_INTERVAL, 7.5);
        if (!site.start())
            return;
        manager = std::make_unique<StockManager>(defaults, site.baseURL(), 1ms);
        appDelegate = std::make_unique<AppDelegate>(
            [this]() -> StockManager & {
                ++managerRequests;
                return *manager;
            },
            defaults);
    }
    // False when the stalled site could not start.
    bool launch() {
        if (!appDelegate)
            return false;
        appDelegate->applicationDidFinishLaunching();
        return true;
    }
    StatusViewController *controller() const { return appDelegate->statusViewController(); }

    QTemporaryDir dir;
    UserDefaults defaults{dir.filePath(QStringLiteral("kabu-ticker.conf"))};
    StalledSite site;
    std::unique_ptr<StockManager> manager;
    int managerRequests = 0;
    std::unique_ptr<AppDelegate> appDelegate; // last: stops the loop before the rest goes
};

void fromThread(const std::function<void()> &work) {
    std::thread thread(work);
    thread.join();
}

} // namespace

class tst_AppDelegate : public QObject {
    Q_OBJECT

private slots:
    void launchWiresListControllerAndLoop();
    void notificationsFromThreadsRebuildOnceEachInOrder();
    void rebuildIsDroppedWithTheController();
    void terminationEndsStalledFetch();
};

void tst_AppDelegate::launchWiresListControllerAndLoop() {
    Launched l;
    QVERIFY(l.appDelegate);
    QCOMPARE(l.managerRequests, 0);
    QVERIFY(!l.controller());

    QVERIFY(l.launch());

    QCOMPARE(l.managerRequests, 1);
    QVERIFY(l.controller());
    QCOMPARE(l.controller()->intervalSecond(), 7.5); // read from the settings it was given
    QCOMPARE(l.site.waitForRequest(), QStringList{kCodes.first()}); // the first pass runs at once
    QTRY_VERIFY(!l.controller()->refreshNowAction()->isEnabled());  // greyed while it runs
    QVERIFY(l.controller()->stocksMenu()->isEmpty());
    l.manager->removeStock(kCodes.first()); // notifies the delegate, which is this AppDelegate
    QVERIFY(l.controller()->stocksMenu()->isEmpty()); // the rebuild is queued, not run here
    QTRY_COMPARE(l.controller()->stocksMenu()->actions().size(), 2);
}

void tst_AppDelegate::notificationsFromThreadsRebuildOnceEachInOrder() {
    Launched l;
    QVERIFY(l.launch());
    RebuildWatch watch(l.controller());
    const auto mark = [&watch, &l] {
        QMetaObject::invokeMethod(
            l.controller(), [&watch] { watch.log += '|'; }, Qt::QueuedConnection);
    };

    fromThread([&l] { l.appDelegate->updatedStocks(); });
    mark();
    fromThread([&l] { l.appDelegate->updatedStocks(); });
    mark();
    fromThread([&l] { l.appDelegate->updatedStocks(); });
    QVERIFY(watch.log.isEmpty());

    QTRY_COMPARE(watch.log, QByteArray("r|r|r"));
    QVERIFY(!watch.offMainThread);
}

void tst_AppDelegate::rebuildIsDroppedWithTheController() {
    Launched l;
    QVERIFY(l.launch());
    fromThread([&l] { l.appDelegate->updatedStocks(); });

    l.appDelegate.reset();
    QCoreApplication::sendPostedEvents();
    fromThread([&l] { l.manager->removeStock(kCodes.first()); }); // its delegate is gone

    // Neither the queued rebuild nor the later notice may reach the destroyed controller, which
    // the AddressSanitizer build would report.
    QCoreApplication::sendPostedEvents();
    QCOMPARE(l.manager->stocks().size(), kCodes.size() - 1);
}

void tst_AppDelegate::terminationEndsStalledFetch() {
    Launched l;
    QVERIFY(l.launch());
    QCOMPARE(l.site.waitForRequest().size(), 1);
    QElapsedTimer timer;
    timer.start();

    l.appDelegate->applicationWillTerminate();

    // The site would hold the fetch for 30 s and libcurl wait 60 s more; an interrupted fetch
    // ends within about a second.
    QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
    // The pass has ended, without a further fetch, and its report was posted before the return.
    QCOMPARE(l.site.waitForRequest().size(), 1);
    QCoreApplication::sendPostedEvents();
    QCOMPARE(l.controller()->stocksMenu()->actions().size(), kCodes.size());
    QVERIFY(l.controller()->refreshNowAction()->isEnabled()); // the pass is over
}

QTEST_MAIN(tst_AppDelegate)
#include "tst_AppDelegate.moc"
