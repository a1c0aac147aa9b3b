#include "AlertPresenter.h"

#include <QApplication>
#include <QDesktopServices>
#include <QSystemTrayIcon>

#include "AlertMonitor.h"
#include "StatusView.h"

namespace {

constexpr int kFlashToggles = 6; // three flashes
constexpr int kFlashToggleMilliseconds = 250;

} // namespace

AlertPresenter::AlertPresenter(StatusView *view, QSystemTrayIcon *trayIcon, QObject *parent)
    : QObject(parent)
    , m_view(view)
    , m_trayIcon(trayIcon) {
    m_flash.setInterval(kFlashToggleMilliseconds);
    connect(&m_flash, &QTimer::timeout, this, &AlertPresenter::toggleHighlight);
}

void AlertPresenter::present(const AlertEvent &event) {
    const DesktopNotifications::Notification notification{
        .appName = QStringLiteral(KABU_DISPLAY_NAME),
        .appIcon = QStringLiteral(KABU_APP_ID),
        .desktopEntry = QStringLiteral(KABU_APP_ID),
        .summary = event.summary,
        .body = event.body,
        .actionLabel = QStringLiteral("開く"),
    };
    const QUrl page = event.page;
    m_notifications.notify(
        notification, [page] { QDesktopServices::openUrl(page); },
        [this, event] { presentWithoutService(event); });
}

void AlertPresenter::presentWithoutService(const AlertEvent &event) {
    if (m_trayIcon && m_trayIcon->isVisible() && QSystemTrayIcon::isSystemTrayAvailable())
        m_trayIcon->showMessage(event.summary, event.body, QSystemTrayIcon::Information);
    else
        flash();
}

// An open menu already highlights the strip, and the user is looking at it.
void AlertPresenter::flash() {
    if (!m_view || QApplication::activePopupWidget() || m_flash.isActive())
        return;
    m_togglesLeft = kFlashToggles;
    toggleHighlight();
    m_flash.start();
}

void AlertPresenter::toggleHighlight() {
    if (!m_view || QApplication::activePopupWidget() || m_togglesLeft <= 0) {
        m_flash.stop();
        return;
    }
    --m_togglesLeft;
    m_view->setHighlighted(!m_view->highlighted());
}
