#include "AppDelegate.h"

#include <mutex>
#include <utility>

#include <QAction>
#include <QCoreApplication>

#include "Clock.h"
#include "MarketHours.h"
#include "RefreshLoop.h"
#include "RefreshSchedule.h"
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
    m_marketHours = std::make_unique<MarketHours>(m_defaults);
    m_refreshSchedule = std::make_unique<RefreshSchedule>(*m_marketHours);
    auto controller = std::make_unique<StatusViewController>(stockManager, m_defaults);
    controller->setMarketHours(m_marketHours.get());
    StatusViewController *const intervalSource = controller.get();
    // Queued, so each change reported on any thread gives one rebuild on the main thread, in
    // order; Qt drops the connection and what it still holds when the controller goes.
    connect(this, &AppDelegate::stocksChanged, intervalSource,
            &StatusViewController::updateStockMenu, Qt::QueuedConnection);
    QAction *const refreshNow = controller->refreshNowAction();
    connect(refreshNow, &QAction::triggered, this, &AppDelegate::refreshNow);
    connect(
        this, &AppDelegate::passRunning, refreshNow,
        [refreshNow](bool running) { refreshNow->setEnabled(!running); }, Qt::QueuedConnection);
    m_statusViewController = std::move(controller);
    RefreshSchedule *const schedule = m_refreshSchedule.get();
    m_refreshLoop = std::make_unique<RefreshLoop>(RefreshLoop::Steps{
        .pass =
            [this, &stockManager, schedule, intervalSource] {
                if (!schedule->beginPass(Clock::currentDateTime()))
                    return;
                emit passRunning(true);
                stockManager.fetchPolicy().setIntervalMinutes(intervalSource->intervalSecond());
                stockManager.update();
                if (stockManager.passFailure())
                    schedule->passFailed(stockManager.pausedUntil(Clock::currentDateTime()));
                emit passRunning(false);
            },
        .interruptPass = [&stockManager] { stockManager.interrupt(); },
        .intervalMinutes = [intervalSource] { return intervalSource->intervalSecond(); },
        .adjustWait =
            [schedule, intervalSource](std::chrono::seconds wait) {
                return schedule->waitAfterPass(wait, intervalSource->intervalSecond(),
                                               Clock::currentDateTime());
            },
    });
}

void AppDelegate::applicationWillTerminate() {
    m_refreshLoop.reset();
}

void AppDelegate::showStatusMenu() {
    if (m_statusViewController)
        m_statusViewController->popUpStatusMenu();
}

void AppDelegate::refreshNow() {
    if (!m_refreshLoop)
        return;
    m_statusViewController->refreshNowAction()->setEnabled(false); // until the pass ends
    m_refreshSchedule->askForPass();
    m_refreshLoop->wake();
}

void AppDelegate::updatedStocks() {
    emit stocksChanged();
}
