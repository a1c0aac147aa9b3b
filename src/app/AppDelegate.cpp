#include "AppDelegate.h"

#include <mutex>
#include <utility>

#include <QCoreApplication>

#include "RefreshLoop.h"
#include "StatusViewController.h"
#include "StockManager.h"
#include "StockManagerDelegate.h"
#include "UserDefaults.h"

// The watch list keeps its delegate by a shared pointer it may still hold on another thread
// when the AppDelegate goes, so it gets this relay, which the AppDelegate cuts off first.
class AppDelegate::Relay : public StockManagerDelegate {
public:
    explicit Relay(AppDelegate *target)
        : m_target(target) {}

    void updatedStocks() override {
        std::lock_guard lock(m_mutex);
        if (m_target)
            m_target->updatedStocks();
    }

    void detach() {
        std::lock_guard lock(m_mutex);
        m_target = nullptr;
    }

private:
    std::mutex m_mutex;
    AppDelegate *m_target;
};

AppDelegate::AppDelegate()
    : AppDelegate(&StockManager::sharedInstance, UserDefaults::standardUserDefaults()) {}

AppDelegate::AppDelegate(std::function<StockManager &()> stockManager, UserDefaults &defaults)
    : m_stockManager(std::move(stockManager))
    , m_defaults(defaults)
    , m_relay(std::make_shared<Relay>(this)) {
    connect(qApp, &QCoreApplication::aboutToQuit, this, &AppDelegate::applicationWillTerminate);
}

AppDelegate::~AppDelegate() {
    m_relay->detach();
    m_refreshLoop.reset();
}

StatusViewController *AppDelegate::statusViewController() const {
    return m_statusViewController.get();
}

void AppDelegate::applicationDidFinishLaunching() {
    StockManager &stockManager = m_stockManager();
    stockManager.setDelegate(m_relay);
    auto controller = std::make_unique<StatusViewController>(stockManager, m_defaults);
    StatusViewController *const intervalSource = controller.get();
    // Queued, so each change reported on any thread gives one rebuild on the main thread, in
    // order; Qt drops the connection and what it still holds when the controller goes.
    connect(this, &AppDelegate::stocksChanged, intervalSource,
            &StatusViewController::updateStockMenu, Qt::QueuedConnection);
    m_statusViewController = std::move(controller);
    m_refreshLoop = std::make_unique<RefreshLoop>(RefreshLoop::Steps{
        .pass = [&stockManager] { stockManager.update(); },
        .interruptPass = [&stockManager] { stockManager.interrupt(); },
        .intervalMinutes = [intervalSource] { return intervalSource->intervalSecond(); },
    });
}

void AppDelegate::applicationWillTerminate() {
    m_refreshLoop.reset();
}

void AppDelegate::showStatusMenu() {
    if (m_statusViewController)
        m_statusViewController->popUpStatusMenu();
}

void AppDelegate::updatedStocks() {
    emit stocksChanged();
}
