#pragma once

#include <functional>

#include <QHash>
#include <QObject>
#include <QString>

class QDBusMessage;

// Notifications through the desktop's notification service, org.freedesktop.Notifications on the
// session bus. Sending never blocks: the service's answer, or that there is none, comes later.
class DesktopNotifications : public QObject {
    Q_OBJECT
    Q_MOC_INCLUDE(<QDBusMessage>)
public:
    struct Notification {
        QString appName;
        QString appIcon;      // an icon name of the theme
        QString desktopEntry; // the desktop entry's id, without ".desktop"
        QString summary;
        QString body;
        QString actionLabel; // of the one action, which is also the default one; none if empty
    };

    explicit DesktopNotifications(QObject *parent = nullptr);

    // `acted` runs when the user chooses the action (servers without actions never do);
    // `unshown` runs instead when no service took the notification. Neither runs once this object
    // is gone.
    void notify(const Notification &notification, std::function<void()> acted,
                std::function<void()> unshown);

private slots:
    // The message tells who sent the signal.
    void actionInvoked(uint id, const QString &actionKey, const QDBusMessage &signal);
    void notificationClosed(uint id, uint reason, const QDBusMessage &signal);

private:
    // A notification's action, with the bus name of the service that showed it: only that one
    // speaks for it.
    struct Shown {
        QString service;
        std::function<void()> acted;
    };

    bool listen();
    bool fromItsService(uint id, const QDBusMessage &signal) const;

    bool m_listening = false;
    QHash<uint, Shown> m_actions;
};
