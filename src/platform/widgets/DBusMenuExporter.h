#pragma once

#include <optional>

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QTimer>

#include "DBusMenuTypes.h"

class QAction;
class QMenu;

// Shows a QMenu to the desktop's panel over com.canonical.dbusmenu, so the panel draws it
// natively; follows the menu's changes and sends the panel only what changed.
//
// The root item has id 0; every action has an id of its own for as long as it is in the menu.
// A panel's "clicked" triggers the action (later, from the event loop), as a click in the QMenu
// does. "opened" and AboutToShow emit the menu's aboutToShow (a panel may do both for one
// opening); "closed" emits its aboutToHide.
class DBusMenuExporter : public QObject {
    Q_OBJECT
public:
    // Exports `menu` at `objectPath` on the session bus; isExported() says whether that worked.
    DBusMenuExporter(QMenu *menu, const QString &objectPath, QObject *parent = nullptr);
    ~DBusMenuExporter() override;

    QString objectPath() const { return m_objectPath; }
    bool isExported() const { return m_exported; }
    uint revision() const { return m_revision; }

    // What the bus adaptor answers with; nothing for an id that is not in the menu.
    std::optional<DBusMenuLayoutItem> layout(int parentId, int depth, const QStringList &names);
    std::optional<QVariantMap> properties(int id, const QStringList &names);
    bool event(int id, const QString &eventId);
    // Whether the layout changed since the panel last heard of it.
    std::optional<bool> aboutToShow(int id);

signals:
    void layoutUpdated(uint revision, int parentId);
    void itemsPropertiesUpdated(const DBusMenuItemList &updated,
                                const DBusMenuItemKeysList &removed);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Entry {
        int id = 0;
        QMenu *parent = nullptr;
        QMenu *submenu = nullptr;
        // The properties the panel last received, none before it first asked.
        std::optional<QVariantMap> sent;
    };

    void watch(QMenu *menu, int id);
    void unwatch(QMenu *menu);
    void menuDestroyed(QMenu *menu);
    int track(QAction *action, QMenu *parent);
    void forget(QAction *action);
    void actionChanged(QAction *action);
    QMenu *menuOf(int id) const;
    QVariantMap currentProperties(QAction *action);
    DBusMenuLayoutItem layoutOf(int id, QAction *action, int depth, const QStringList &names);
    void layoutChanged(QMenu *menu);
    void schedule();
    void flush();

    QPointer<QMenu> m_root;
    QString m_objectPath;
    bool m_exported = false;
    uint m_revision = 1;
    int m_nextId = 1;
    QHash<QAction *, Entry> m_entries;
    QHash<int, QAction *> m_actions;
    // Each watched menu with the id of the item that opens it.
    QHash<QMenu *, int> m_menus;
    QSet<int> m_changedItems;
    QSet<int> m_changedLayouts;
    QTimer m_flush;
};
