#pragma once

#include <memory>

#include <QObject>
#include <QPalette>
#include <QTimer>

#include "AppearanceSetting.h"
#include "ColourScheme.h"
#include "IntervalSetting.h"
#include "RefreshInterval.h"
#include "StaleQuoteMarker.h"
#include "StatusViewDelegate.h"
#include "StockMenuLine.h" // what the lines of stocksMenu() carry

class QAction;
class QLabel;
class QMenu;
class QMouseEvent;
class StatusAlerts;
class StatusHoldings;
class ConfigWindowController;
class MarketHours;
class StatusBar;
class StatusTrayIcon;
class StatusView;
class Stock;
class StockManager;
class UserDefaults;
namespace Ui {
class StatusViewController;
}

// The program's status item: a ticker that slides the next security's code and price into view
// every five seconds, the status menu a click opens, and the refresh interval setting.
class StatusViewController : public QObject,
                             public StatusViewDelegate,
                             public IntervalSetting,
                             public AppearanceSetting {
    Q_OBJECT
public:
    StatusViewController(StockManager &stockManager, UserDefaults &defaults,
                         QObject *parent = nullptr);
    ~StatusViewController() override;

    // Minutes from the start of one refresh pass to the start of the next.
    double intervalSecond() const override;
    void setIntervalSecond(double minutes) override;

    // Take effect at once on the shown price; the arrows from the next step.
    QString colourScheme() const override;
    void setColourScheme(const QString &key) override;
    bool priceArrows() const override;
    void setPriceArrows(bool shown) override;

    StatusBar *statusItem() const;
    StatusView *view() const;
    QMenu *statusMenu() const;
    QMenu *stocksMenu() const;
    ConfigWindowController *configWindowController() const;
    StatusTrayIcon *trayIcon() const;
    // The market-hours switch the stale marks, the tray tooltip and the preferences follow;
    // none means always refreshing. It must outlive the controller.
    void setMarketHours(MarketHours *marketHours);

public slots:
    void updateStockMenu();
    void loadItem();
    void animateItemView();
    void animationDidEnd();
    void browseStock(QAction *item);
    void config();
    void quit();
    void menuWillOpen();
    void menuDidClose();
    // Under the status item, as a click on it does.
    void popUpStatusMenu();

public:
    void mouseDown(QMouseEvent *event) override;

private:
    friend class tst_StatusViewController; // starts each case from a fresh rotation

    void loadView();
    void reserveSpace();
    void buildStatusMenu();
    void finishSlide();
    void showInIncomingSlot(const Stock &stock);
    void setLabelRole(QPalette::ColorRole role);
    void nameView();
    void showPassFailure();
    void markLines();
    void colourPrice(QLabel *quote) const;

    // The index in the watch list of the security shown last, one for the whole process:
    // -1 before the first step, never reset.
    static inline int s_rotationPosition = -1;

    StockManager &m_stockManager;
    UserDefaults &m_defaults;
    ColourScheme m_colourScheme;
    RefreshInterval m_interval;
    std::unique_ptr<Ui::StatusViewController> m_ui;
    std::unique_ptr<StatusBar> m_statusItem;
    StatusView *m_view; // owned by m_statusItem
    std::unique_ptr<QMenu> m_statusMenu;
    std::unique_ptr<QMenu> m_stocksMenu;
    std::unique_ptr<StatusTrayIcon> m_trayIcon;
    QAction *m_passNotice = nullptr;        // owned by m_statusMenu; in it when a whole pass failed
    std::unique_ptr<StatusAlerts> m_alerts; // its rules are read by the preferences window
    std::unique_ptr<StatusHoldings> m_holdings; // so are its holdings
    std::unique_ptr<ConfigWindowController> m_configWindowController;
    StaleQuoteMarker m_staleQuoteMarker{*this};
    const MarketHours *m_marketHours = nullptr;
    QTimer m_ticker;
    bool m_isItemViewA = true;
};
