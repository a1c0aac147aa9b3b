#include "TickerSurfaces.h"

#include "DisplayPlaceSwitch.h"
#include "PanelTicker.h"
#include "StatusBar.h"
#include "StatusTrayIcon.h"
#include "StripPresenter.h"
#include "TickerRotation.h"

TickerSurfaces::TickerSurfaces(DisplayPlaceSwitch &place, const Parts &parts, QObject *parent)
    : QObject(parent)
    , m_parts(parts) {
    connect(&place, &DisplayPlaceSwitch::surfaceChanged, this, &TickerSurfaces::show);
    show(place.surface());
}

TickerSurfaces::~TickerSurfaces() = default;

void TickerSurfaces::show(DisplayPlace::Surface surface) {
    if (surface == DisplayPlace::Surface::Panel)
        showPanel();
    else
        showStrip();
}

void TickerSurfaces::showPanel() {
    for (const QMetaObject::Connection &feed : std::as_const(m_stripFeed))
        disconnect(feed);
    m_stripFeed.clear();
    m_parts.stripWindow.hide();
    m_parts.trayIcon.setShown(false);
    m_panel = std::make_unique<PanelTicker>(m_parts.stockManager, m_parts.statusMenu,
                                            m_parts.strip.title());
    PanelTicker *panel = m_panel.get();
    connect(&m_parts.rotation, &TickerRotation::ticked, panel, &PanelTicker::showListEmpty);
    connect(&m_parts.rotation, &TickerRotation::advanced, panel, &PanelTicker::showStock);
    connect(&m_parts.trayIcon, &StatusTrayIcon::tipShown, panel, &PanelTicker::setToolTip);
    panel->setToolTip(m_parts.trayIcon.toolTip());
}

void TickerSurfaces::showStrip() {
    m_panel.reset();
    if (m_stripFeed.isEmpty()) {
        m_stripFeed = {connect(&m_parts.rotation, &TickerRotation::ticked, &m_parts.strip,
                               &StripPresenter::showListEmpty),
                       connect(&m_parts.rotation, &TickerRotation::advanced, &m_parts.strip,
                               &StripPresenter::showStock)};
    }
    m_parts.stripWindow.show();
    m_parts.trayIcon.setShown(true);
}
