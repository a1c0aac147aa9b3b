#pragma once

#include <memory>

#include <QList>
#include <QObject>
#include <QString>

#include "StockMenuLine.h" // the metatype of the shown security

class QMenu;
class DBusMenuExporter;
class StatusNotifierItem;
class Stock;
class StockManager;

// The ticker as the desktop's panel shows it: our status item labelled with the security on show,
// its guide the widest label of the list so that the panel keeps its width, the tray's tooltip,
// and the status menu exported for the panel to draw.
class PanelTicker : public QObject {
    Q_OBJECT
public:
    // Puts the item on the session bus; it registers with the panel's watcher whenever one is
    // there. The list and the menu must outlive the ticker.
    PanelTicker(const StockManager &stockManager, QMenu &statusMenu, const QString &title,
                QObject *parent = nullptr);
    ~PanelTicker() override;

    StatusNotifierItem &item() const { return *m_item; }
    // The code, then the price after its direction mark: a label has no colour to say it. A
    // price never read has no direction.
    static QString labelText(const Stock &stock);

public slots:
    // The title while the list is empty.
    void showListEmpty(bool empty);
    void showStock(const std::shared_ptr<Stock> &stock);
    void setToolTip(const QString &tip);
    // At the pointer: hosts such as MATE's give no usable point with Activate.
    void popUpMenu();

private:
    void showLabel(const QString &label);

    const StockManager &m_stockManager;
    QMenu &m_statusMenu;
    const QString m_title;
    std::unique_ptr<StatusNotifierItem> m_item;
    std::unique_ptr<DBusMenuExporter> m_menuExporter;
};
