#include "DisplayPlaceSwitch.h"

#include <utility>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusServiceWatcher>
#include <QStandardPaths>

#include "UserDefaults.h"

namespace {

const QString kWatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");

// XFCE's panel draws labels only through this plugin, which installs its description here.
bool sntrayInstalled() {
    return !QStandardPaths::locate(QStandardPaths::GenericDataLocation,
                                   QStringLiteral("xfce4/panel/plugins/sntray.desktop"))
                .isEmpty();
}

} // namespace

DisplayPlaceSwitch::DisplayPlaceSwitch(UserDefaults &defaults, QString currentDesktop,
                                       QObject *parent)
    : QObject(parent)
    , m_defaults(defaults)
    , m_desktop(std::move(currentDesktop))
    , m_watch(new QDBusServiceWatcher(kWatcherService, QDBusConnection::sessionBus(),
                                      QDBusServiceWatcher::WatchForOwnerChange, this)) {
    connect(m_watch, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString &, const QString &, const QString &owner) {
                decide(!owner.isEmpty());
            });
    const QDBusConnectionInterface *bus = QDBusConnection::sessionBus().interface();
    decide(bus && bus->isServiceRegistered(kWatcherService).value());
}

QString DisplayPlaceSwitch::choice() const {
    const QString key = m_defaults.value(UserDefaults::KEY_DISPLAY_PLACE);
    return DisplayPlace::CHOICES.contains(key) ? key : DisplayPlace::CHOICES.first();
}

void DisplayPlaceSwitch::setChoice(const QString &key) {
    m_defaults.setValue(UserDefaults::KEY_DISPLAY_PLACE, key);
    decide(m_watcherPresent);
}

void DisplayPlaceSwitch::decide(bool watcherPresent) {
    m_watcherPresent = watcherPresent;
    const DisplayPlace::Surface surface =
        DisplayPlace::decide(choice(), m_desktop, watcherPresent, sntrayInstalled());
    if (surface == m_surface)
        return;
    m_surface = surface;
    emit surfaceChanged(surface);
}
