#pragma once

#include <memory>

#include <QList>
#include <QMetaObject>
#include <QObject>

#include "DisplayPlace.h"

class QMenu;
class DisplayPlaceSwitch;
class PanelTicker;
class StatusBar;
class StatusTrayIcon;
class StockManager;
class StripPresenter;
class TickerRotation;

// Shows the ticker where the 表示場所 switch says: as the panel's item, or as the strip with the
// tray icon beside it, never both. Only the surface on show follows the rotation, so a hidden
// strip does no slide work.
class TickerSurfaces : public QObject {
    Q_OBJECT
public:
    struct Parts {
        const StockManager &stockManager;
        TickerRotation &rotation;
        StatusBar &stripWindow;
        StripPresenter &strip;
        StatusTrayIcon &trayIcon;
        QMenu &statusMenu;
    };

    // Every part must outlive the surfaces.
    TickerSurfaces(DisplayPlaceSwitch &place, const Parts &parts, QObject *parent = nullptr);
    ~TickerSurfaces() override;

    // Null while the strip is on show.
    PanelTicker *panel() const { return m_panel.get(); }

private:
    void show(DisplayPlace::Surface surface);
    void showPanel();
    void showStrip();

    Parts m_parts;
    std::unique_ptr<PanelTicker> m_panel;
    QList<QMetaObject::Connection> m_stripFeed;
};
