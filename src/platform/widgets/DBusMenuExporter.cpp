#include "DBusMenuExporter.h"

#include <utility>

#include <QAction>
#include <QActionEvent>
#include <QDBusConnection>
#include <QMenu>

#include "DBusMenuAdaptor.h"
#include "DBusMenuProperties.h"

namespace {

// What the panel must hear to get from `before` to `after`.
void difference(const QVariantMap &before, const QVariantMap &after, QVariantMap &changed,
                QStringList &gone) {
    for (auto it = after.cbegin(); it != after.cend(); ++it) {
        if (const auto old = before.constFind(it.key()); old == before.cend() || *old != *it)
            changed.insert(it.key(), *it);
    }
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        if (!after.contains(it.key()))
            gone.append(it.key());
    }
}

} // namespace

DBusMenuExporter::DBusMenuExporter(QMenu *menu, const QString &objectPath, QObject *parent)
    : QObject(parent)
    , m_root(menu)
    , m_objectPath(objectPath) {
    m_flush.setSingleShot(true);
    m_flush.setInterval(0);
    connect(&m_flush, &QTimer::timeout, this, &DBusMenuExporter::flush);
    if (menu)
        watch(menu, 0);
    new DBusMenuAdaptor(this);
    m_exported = QDBusConnection::sessionBus().registerObject(m_objectPath, this,
                                                              QDBusConnection::ExportAdaptors);
}

DBusMenuExporter::~DBusMenuExporter() {
    if (m_exported)
        QDBusConnection::sessionBus().unregisterObject(m_objectPath);
}

std::optional<DBusMenuLayoutItem> DBusMenuExporter::layout(int parentId, int depth,
                                                           const QStringList &names) {
    QAction *action = m_actions.value(parentId);
    if (parentId != 0 && !action)
        return std::nullopt;
    return layoutOf(parentId, action, depth, names);
}

std::optional<QVariantMap> DBusMenuExporter::properties(int id, const QStringList &names) {
    if (id == 0)
        return DBusMenuProperties::only(DBusMenuProperties::ofRoot(), names);
    QAction *action = m_actions.value(id);
    if (!action)
        return std::nullopt;
    return DBusMenuProperties::only(currentProperties(action), names);
}

bool DBusMenuExporter::event(int id, const QString &eventId) {
    QAction *action = m_actions.value(id);
    if (id != 0 && !action)
        return false;
    if (eventId == QLatin1String("clicked")) {
        // Later, so that whatever the action opens does not hold up the panel's call.
        if (action && action->isEnabled() && !action->menu<QMenu *>())
            QMetaObject::invokeMethod(action, &QAction::trigger, Qt::QueuedConnection);
    } else if (QMenu *menu = menuOf(id)) {
        if (eventId == QLatin1String("opened"))
            emit menu->aboutToShow();
        else if (eventId == QLatin1String("closed"))
            emit menu->aboutToHide();
    }
    return true;
}

std::optional<bool> DBusMenuExporter::aboutToShow(int id) {
    if (id != 0 && !m_actions.contains(id))
        return std::nullopt;
    if (QMenu *menu = menuOf(id))
        emit menu->aboutToShow();
    // What the menu's owner changed just now goes out before the answer.
    const uint before = m_revision;
    m_flush.stop();
    flush();
    return m_revision != before;
}

bool DBusMenuExporter::eventFilter(QObject *watched, QEvent *event) {
    const auto type = event->type();
    if (type == QEvent::ActionAdded || type == QEvent::ActionRemoved ||
        type == QEvent::ActionChanged) {
        auto *menu = static_cast<QMenu *>(watched);
        QAction *action = static_cast<QActionEvent *>(event)->action();
        if (type == QEvent::ActionChanged) {
            actionChanged(action);
        } else {
            if (type == QEvent::ActionAdded)
                track(action, menu);
            else if (m_entries.value(action).parent == menu)
                forget(action);
            layoutChanged(menu);
        }
    }
    return QObject::eventFilter(watched, event);
}

void DBusMenuExporter::watch(QMenu *menu, int id) {
    if (const auto found = m_menus.find(menu); found != m_menus.end()) {
        *found = id;
        return;
    }
    m_menus.insert(menu, id);
    menu->installEventFilter(this);
    connect(menu, &QObject::destroyed, this, [this, menu] { menuDestroyed(menu); });
    const auto actions = menu->actions();
    for (QAction *action : actions)
        track(action, menu);
}

void DBusMenuExporter::unwatch(QMenu *menu) {
    if (!m_menus.remove(menu))
        return;
    menu->removeEventFilter(this);
    disconnect(menu, &QObject::destroyed, this, nullptr);
    const auto actions = menu->actions();
    for (QAction *action : actions) {
        if (m_entries.value(action).parent == menu)
            forget(action);
    }
}

// The menu's actions are still alive but no longer in it; the item that opened it has nothing
// under it now.
void DBusMenuExporter::menuDestroyed(QMenu *menu) {
    const int id = m_menus.take(menu);
    QList<QAction *> orphans;
    for (auto it = m_entries.cbegin(); it != m_entries.cend(); ++it) {
        if (it->parent == menu)
            orphans.append(it.key());
    }
    for (QAction *action : std::as_const(orphans))
        forget(action);
    m_changedItems.insert(id);
    m_changedLayouts.insert(id);
    schedule();
}

int DBusMenuExporter::track(QAction *action, QMenu *parent) {
    if (const auto found = m_entries.constFind(action); found != m_entries.cend())
        return found->id;
    const Entry entry{m_nextId++, parent, action->menu<QMenu *>(), std::nullopt};
    m_entries.insert(action, entry);
    m_actions.insert(entry.id, action);
    if (entry.submenu)
        watch(entry.submenu, entry.id);
    return entry.id;
}

// Reads nothing from the action, which may be half destroyed.
void DBusMenuExporter::forget(QAction *action) {
    const auto found = m_entries.constFind(action);
    if (found == m_entries.cend())
        return;
    const Entry entry = *found;
    m_entries.erase(found);
    m_actions.remove(entry.id);
    m_changedItems.remove(entry.id);
    if (entry.submenu && m_menus.value(entry.submenu, -1) == entry.id)
        unwatch(entry.submenu);
}

void DBusMenuExporter::actionChanged(QAction *action) {
    const auto found = m_entries.find(action);
    if (found == m_entries.end())
        return;
    const int id = found->id;
    QMenu *submenu = action->menu<QMenu *>();
    QMenu *old = std::exchange(found->submenu, submenu);
    m_changedItems.insert(id);
    if (submenu != old) {
        if (old && m_menus.value(old, -1) == id)
            unwatch(old);
        if (submenu)
            watch(submenu, id);
        m_changedLayouts.insert(id);
    }
    schedule();
}

QMenu *DBusMenuExporter::menuOf(int id) const {
    if (id == 0)
        return m_root;
    const QAction *action = m_actions.value(id);
    return action ? action->menu<QMenu *>() : nullptr;
}

QVariantMap DBusMenuExporter::currentProperties(QAction *action) {
    QVariantMap properties = DBusMenuProperties::of(*action);
    if (const auto found = m_entries.find(action); found != m_entries.end())
        found->sent = properties;
    return properties;
}

DBusMenuLayoutItem DBusMenuExporter::layoutOf(int id, QAction *action, int depth,
                                              const QStringList &names) {
    const QVariantMap all = action ? currentProperties(action) : DBusMenuProperties::ofRoot();
    DBusMenuLayoutItem item{id, DBusMenuProperties::only(all, names), {}};
    QMenu *menu = menuOf(id);
    if (!menu || depth == 0)
        return item;
    watch(menu, id);
    const auto actions = menu->actions();
    for (QAction *child : actions)
        item.children.append(
            layoutOf(track(child, menu), child, depth < 0 ? depth : depth - 1, names));
    return item;
}

void DBusMenuExporter::layoutChanged(QMenu *menu) {
    m_changedLayouts.insert(m_menus.value(menu));
    schedule();
}

// A rebuild of the whole menu still ends in one signal.
void DBusMenuExporter::schedule() {
    if (!m_flush.isActive())
        m_flush.start();
}

// One signal per kind for everything that changed since the last time.
void DBusMenuExporter::flush() {
    DBusMenuItemList updated;
    DBusMenuItemKeysList removed;
    for (const int id : std::as_const(m_changedItems)) {
        QAction *action = m_actions.value(id);
        auto entry = m_entries.find(action);
        if (!action || entry == m_entries.end() || !entry->sent)
            continue; // the panel never saw it, so it has nothing to update
        DBusMenuItem changed{id, {}};
        DBusMenuItemKeys gone{id, {}};
        const QVariantMap now = DBusMenuProperties::of(*action);
        difference(*entry->sent, now, changed.properties, gone.names);
        entry->sent = now;
        if (!changed.properties.isEmpty())
            updated.append(changed);
        if (!gone.names.isEmpty())
            removed.append(gone);
    }
    m_changedItems.clear();
    if (!updated.isEmpty() || !removed.isEmpty())
        emit itemsPropertiesUpdated(updated, removed);
    if (m_changedLayouts.isEmpty())
        return;
    ++m_revision;
    const QSet<int> parents = m_changedLayouts.contains(0) ? QSet<int>{0} : m_changedLayouts;
    m_changedLayouts.clear();
    for (const int parent : parents)
        emit layoutUpdated(m_revision, parent);
}
