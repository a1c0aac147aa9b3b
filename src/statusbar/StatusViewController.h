#pragma once

#include <memory>

#include <QObject>

#include "AppearanceSetting.h"
#include "IntervalSetting.h"
#include "RefreshInterval.h"
#include "StaleQuoteMarker.h"
#include "StatusViewDelegate.h"
#include "StockMenuLine.h" // what the lines of stocksMenu() carry
#include "TickerRotation.h"

class QAction;
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
class StripPresenter;
class DisplayPlaceSwitch;
class TickerSurfaces;
class UserDefaults;

// The program's status item: wires the ticker's rotation to the strip and the tray, and holds
// the status menu a click opens and the refresh interval setting.
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
    // 今すぐ更新: the refresh loop's owner acts on it and greys it while a pass runs.
    QAction *refreshNowAction() const;
    ConfigWindowController *configWindowController() const;
    StatusTrayIcon *trayIcon() const;
    TickerRotation &rotation();
    // Where the ticker shows; the preferences change it.
    DisplayPlaceSwitch *displayPlace() const;
    // The market-hours switch the stale marks, the tray tooltip and the preferences follow;
    // none means always refreshing. It must outlive the controller.
    void setMarketHours(MarketHours *marketHours);

public slots:
    void updateStockMenu();
    // One step of the rotation, as its timer takes.
    void loadItem();
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
    void buildStatusMenu();
    void showPassFailure();
    void markLines();
    void showInTray(const Stock &stock);

    StockManager &m_stockManager;
    UserDefaults &m_defaults;
    RefreshInterval m_interval;
    std::unique_ptr<StatusBar> m_statusItem;
    StatusView *m_view; // owned by m_statusItem
    std::unique_ptr<StripPresenter> m_strip;
    TickerRotation m_rotation{m_stockManager};
    std::unique_ptr<QMenu> m_statusMenu;
    std::unique_ptr<QMenu> m_stocksMenu;
    std::unique_ptr<StatusTrayIcon> m_trayIcon;
    QAction *m_passNotice = nullptr;        // owned by m_statusMenu; in it when a whole pass failed
    QAction *m_refreshNow = nullptr;        // owned by m_statusMenu
    std::unique_ptr<StatusAlerts> m_alerts; // its rules are read by the preferences window
    std::unique_ptr<StatusHoldings> m_holdings; // so are its holdings
    std::unique_ptr<ConfigWindowController> m_configWindowController;
    StaleQuoteMarker m_staleQuoteMarker{*this};
    std::unique_ptr<DisplayPlaceSwitch> m_displayPlace;
    // Last, so that the panel's item leaves the bus before the menu it exports goes.
    std::unique_ptr<TickerSurfaces> m_surfaces;
    const MarketHours *m_marketHours = nullptr;
};
