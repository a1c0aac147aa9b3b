#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>

#include "DesktopNotifications.h"

class QSystemTrayIcon;
class StatusView;
struct AlertEvent;

// Shows a fired alert where the desktop allows: a notification whose action 開く opens the quote
// page; without a notification service, a message from the tray icon; without a tray either, a
// brief flash of the strip's highlight. Never a dialog, never anything that takes the focus.
class AlertPresenter : public QObject {
    Q_OBJECT
public:
    AlertPresenter(StatusView *view, QSystemTrayIcon *trayIcon, QObject *parent = nullptr);

    void present(const AlertEvent &event);

private:
    void presentWithoutService(const AlertEvent &event);
    void flash();
    void toggleHighlight();

    QPointer<StatusView> m_view;
    QPointer<QSystemTrayIcon> m_trayIcon;
    DesktopNotifications m_notifications;
    QTimer m_flash;
    int m_togglesLeft = 0;
};
