#pragma once

#include <functional>

#include <QHash>
#include <QObject>
#include <QString>

// Notifications through the desktop's notification service, org.freedesktop.Notifications on the
// session bus. Sending never blocks: the service's answer, or that there is none, comes later.
class DesktopNotifications : public QObject {
    Q_OBJECT
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
    void actionInvoked(uint id, const QString &actionKey);
    void notificationClosed(uint id, uint reason);

private:
    bool listen();

    bool m_listening = false;
    QHash<uint, std::function<void()>> m_actions;
};
