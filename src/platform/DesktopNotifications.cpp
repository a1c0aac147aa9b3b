#include "DesktopNotifications.h"

#include <utility>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
// Servers that show buttons show this one; the others run it on a click on the notification.
const QString kDefaultAction = QStringLiteral("default");

QDBusMessage notifyCall(const DesktopNotifications::Notification &notification) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    const QStringList actions = notification.actionLabel.isEmpty()
                                    ? QStringList()
                                    : QStringList{kDefaultAction, notification.actionLabel};
    const QVariantMap hints{{QStringLiteral("desktop-entry"), notification.desktopEntry}};
    call << notification.appName << uint(0) << notification.appIcon << notification.summary
         << notification.body << actions << hints << int(-1);
    return call;
}

} // namespace

DesktopNotifications::DesktopNotifications(QObject *parent)
    : QObject(parent) {}

void DesktopNotifications::notify(const Notification &notification, std::function<void()> acted,
                                  std::function<void()> unshown) {
    if (!listen()) {
        unshown();
        return;
    }
    const QDBusPendingCall pending =
        QDBusConnection::sessionBus().asyncCall(notifyCall(notification));
    auto *watcher = new QDBusPendingCallWatcher(pending, this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, acted = std::move(acted),
             unshown = std::move(unshown)](QDBusPendingCallWatcher *answer) {
                const QDBusPendingReply<uint> reply = *answer;
                answer->deleteLater();
                if (reply.isError())
                    unshown();
                else
                    m_actions.insert(reply.value(), {reply.reply().service(), acted});
            });
}

// The signals are heard before the first notification goes out, so none of its own is missed.
bool DesktopNotifications::listen() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    if (!m_listening) {
        m_listening =
            bus.connect(QString(), kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                        SLOT(actionInvoked(uint, QString, QDBusMessage))) &&
            bus.connect(QString(), kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                        SLOT(notificationClosed(uint, uint, QDBusMessage)));
    }
    return m_listening;
}

// Any program on the bus may send these signals; ids are small numbers another one can guess.
bool DesktopNotifications::fromItsService(uint id, const QDBusMessage &signal) const {
    const auto found = m_actions.constFind(id);
    return found != m_actions.cend() && found->service == signal.service();
}

void DesktopNotifications::actionInvoked(uint id, const QString &actionKey,
                                         const QDBusMessage &signal) {
    if (actionKey != kDefaultAction || !fromItsService(id, signal))
        return;
    if (const std::function<void()> acted = m_actions.value(id).acted)
        acted();
}

void DesktopNotifications::notificationClosed(uint id, uint, const QDBusMessage &signal) {
    if (fromItsService(id, signal))
        m_actions.remove(id);
}
