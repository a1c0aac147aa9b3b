#pragma once

#include <QPointer>
#include <QSystemTrayIcon>

class QMenu;
class Stock;

// The ticker's entry in the desktop's system tray, where there is one: a click opens the status
// menu, and the tooltip names the security on show in the ticker with its price and change.
class StatusTrayIcon : public QSystemTrayIcon {
    Q_OBJECT
public:
    // With the title as its tooltip until the ticker shows a security.
    StatusTrayIcon(QMenu *menu, const QString &title, QObject *parent = nullptr);

    // With the alert rules set for it, if any, on a line of their own.
    void showStock(const Stock &stock, const QString &alerts = QString());
    // A line under the security about the last refresh pass; empty for none.
    void setPassNotice(const QString &notice);
    // The holdings' summary under the security; empty for none.
    void setHoldings(const QString &summary);
    // When trading resumes, under the rest, from the next showStock on; empty for none.
    void setNote(const QString &note);

private:
    void popUpMenu(QSystemTrayIcon::ActivationReason reason);

    void showTip();

    QPointer<QMenu> m_menu;
    QString m_stockTip;
    QString m_holdings;
    QString m_passNotice;
    QString m_note;
};
