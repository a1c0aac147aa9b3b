#pragma once

#include <memory>

#include <QList>
#include <QString>

#include "AlertBook.h"
#include "AlertMonitor.h"
#include "AlertPresenter.h"

class QMenu;
class QSystemTrayIcon;
class StatusView;
class Stock;
class StockManager;
class UserDefaults;

// The price alerts as the status item has them: the rules, kept in the settings, are checked
// after every change of the watch list and every refresh pass, and what fires is shown. The menu
// lines and the tray tooltip name the rules set, and a line also its last alert.
class StatusAlerts {
public:
    StatusAlerts(StockManager &stockManager, UserDefaults &defaults, StatusView *view,
                 QSystemTrayIcon *trayIcon);

    AlertBook &book() { return m_book; }

    // Main thread, with the list as it is now.
    void review(const QList<std::shared_ptr<Stock>> &stocks);
    // After the stale marks: adds to the tooltip of each line of the menu.
    void markLines(const QMenu &menu) const;
    // "アラート: ¥3,000 以上" for the tray's tooltip; empty when the security has no rules.
    QString rulesText(const Stock &stock) const;

private:
    AlertBook m_book;
    AlertMonitor m_monitor;
    AlertPresenter m_presenter;
};
