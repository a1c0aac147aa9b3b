#pragma once

#include <functional>
#include <memory>

#include <QObject>

class MarketHours;
class RefreshLoop;
class RefreshSchedule;
class StatusViewController;
class StockManager;
class UserDefaults;

// Wires the program together at launch (watch list, ticker controller, refresh loop) and turns
// every change of the watch list, reported on any thread, into a menu rebuild on the main thread.
class AppDelegate : public QObject {
    Q_OBJECT
public:
    // The program's own: the shared watch list and the user's settings.
    AppDelegate();
    // The watch list is asked for only at launch, since its first use loads the stored codes;
    // it and the settings must outlive the AppDelegate.
    AppDelegate(std::function<StockManager &()> stockManager, UserDefaults &defaults);
    ~AppDelegate() override;

    // Main thread.
    StatusViewController *statusViewController() const;

    // The watch list's delegate call, from any thread: queues one rebuild of the stocks menu,
    // dropped if the controller is gone before it runs.
    void updatedStocks();

signals:
    // A queued signal rather than a posted call: Qt builds the queued call itself, so nothing
    // made on the reporting thread is read on the main thread behind the sanitizers' back.
    void stocksChanged();
    // From the refresh thread as a pass that may fetch begins and ends.
    void passRunning(bool running);

public slots:
    // Main thread, once the event loop runs.
    void applicationDidFinishLaunching();
    // As the application quits: ends a running fetch or pause and joins the refresh thread.
    void applicationWillTerminate();
    // A later start of the program asks this one to show itself: the status menu opens.
    void showStatusMenu();
    // 今すぐ更新: a pass now, whatever the schedule; hosts that pause stay paused.
    void refreshNow();

private:
    class Relay;

    const std::function<StockManager &()> m_stockManager;
    UserDefaults &m_defaults;
    const std::shared_ptr<Relay> m_relay;
    std::unique_ptr<MarketHours> m_marketHours; // before everything that reads it
    std::unique_ptr<RefreshSchedule> m_refreshSchedule;
    std::unique_ptr<StatusViewController> m_statusViewController;
    std::unique_ptr<RefreshLoop> m_refreshLoop; // after the controller, whose interval it reads
};
