#include "StatusTrayIcon.h"

#include <QCursor>
#include <QDirIterator>
#include <QGuiApplication>
#include <QMenu>

#include "Stock.h"

namespace {

// The desktop's icon theme has the last word; the bundled pictures stand in where the program
// is not installed.
QIcon statusIcon() {
    QIcon bundled;
    QDirIterator pictures(QStringLiteral(":/status-icon"));
    while (pictures.hasNext())
        bundled.addFile(pictures.next());
    return QIcon::fromTheme(QStringLiteral(KABU_STATUS_ICON), bundled);
}

} // namespace

StatusTrayIcon::StatusTrayIcon(QMenu *menu, const QString &title, QObject *parent)
    : QSystemTrayIcon(statusIcon(), parent)
    , m_menu(menu) {
    setToolTip(title);
    connect(this, &QSystemTrayIcon::activated, this, &StatusTrayIcon::popUpMenu);
    // Qt docks a shown icon once a tray appears, as when the panel starts after the programs of
    // the session; only on X11 can it watch for that, so elsewhere the tray must be there now.
    setVisible(QGuiApplication::platformName() == QLatin1String("xcb") || isSystemTrayAvailable());
}

void StatusTrayIcon::showStock(const Stock &stock, const QString &alerts) {
    const QString name = stock.name();
    const QString security = name.isEmpty() ? stock.code() : stock.code() + u' ' + name;
    m_stockTip = QStringLiteral("%1\n\u00A5%2 (%3)")
                     .arg(security, stock.quoteToFormat(), stock.prevCloseToFormat());
    if (!alerts.isEmpty())
        m_stockTip += u'\n' + alerts;
    showTip();
}

void StatusTrayIcon::setPassNotice(const QString &notice) {
    m_passNotice = notice;
    if (!m_stockTip.isEmpty())
        showTip();
}

void StatusTrayIcon::setHoldings(const QString &summary) {
    m_holdings = summary;
    if (!m_stockTip.isEmpty())
        showTip();
}

void StatusTrayIcon::showTip() {
    QString tip = m_stockTip;
    for (const QString &line : {m_holdings, m_passNotice, m_note}) {
        if (!line.isEmpty())
            tip += u'\n' + line;
    }
    setToolTip(tip);
}

void StatusTrayIcon::setNote(const QString &note) {
    m_note = note;
}

// Either button opens the menu, at the pointer, which is on the icon.
void StatusTrayIcon::popUpMenu(QSystemTrayIcon::ActivationReason reason) {
    if (m_menu && (reason == Trigger || reason == Context))
        m_menu->popup(QCursor::pos());
}
