#include "DBusMenuAdaptor.h"

#include <QDBusConnection>
#include <QGuiApplication>

#include "DBusMenuExporter.h"

namespace {

QString unknownId(int id) {
    return QStringLiteral("No menu item has the id %1").arg(id);
}

} // namespace

DBusMenuAdaptor::DBusMenuAdaptor(DBusMenuExporter *exporter)
    : QDBusAbstractAdaptor(exporter)
    , m_exporter(exporter) {
    registerDBusMenuTypes();
    connect(exporter, &DBusMenuExporter::layoutUpdated, this, &DBusMenuAdaptor::LayoutUpdated);
    connect(exporter, &DBusMenuExporter::itemsPropertiesUpdated, this,
            &DBusMenuAdaptor::ItemsPropertiesUpdated);
}

QString DBusMenuAdaptor::textDirection() const {
    return QGuiApplication::layoutDirection() == Qt::RightToLeft ? QStringLiteral("rtl")
                                                                 : QStringLiteral("ltr");
}

uint DBusMenuAdaptor::GetLayout(int parentId, int recursionDepth, const QStringList &propertyNames,
                                const QDBusMessage &message, DBusMenuLayoutItem &layout) {
    const auto found = m_exporter->layout(parentId, recursionDepth, propertyNames);
    if (!found)
        refuse(message, unknownId(parentId));
    else
        layout = *found;
    return m_exporter->revision();
}

// Ids the menu does not hold are left out, as the protocol allows.
DBusMenuItemList DBusMenuAdaptor::GetGroupProperties(const QList<int> &ids,
                                                     const QStringList &propertyNames) {
    DBusMenuItemList items;
    for (const int id : ids) {
        if (const auto properties = m_exporter->properties(id, propertyNames))
            items.append({id, *properties});
    }
    return items;
}

QDBusVariant DBusMenuAdaptor::GetProperty(int id, const QString &name,
                                          const QDBusMessage &message) {
    const auto properties = m_exporter->properties(id, {name});
    if (!properties || properties->isEmpty()) {
        refuse(message, properties ? QStringLiteral("Item %1 has no property %2").arg(id).arg(name)
                                   : unknownId(id));
        return {};
    }
    return QDBusVariant(properties->value(name));
}

void DBusMenuAdaptor::Event(int id, const QString &eventId, const QDBusVariant &, uint,
                            const QDBusMessage &message) {
    if (!m_exporter->event(id, eventId))
        refuse(message, unknownId(id));
}

QList<int> DBusMenuAdaptor::EventGroup(const DBusMenuEventList &events,
                                       const QDBusMessage &message) {
    QList<int> idErrors;
    for (const DBusMenuEvent &event : events) {
        if (!m_exporter->event(event.id, event.eventId))
            idErrors.append(event.id);
    }
    if (!events.isEmpty() && idErrors.size() == events.size())
        refuse(message, QStringLiteral("No menu item has any of the ids"));
    return idErrors;
}

bool DBusMenuAdaptor::AboutToShow(int id, const QDBusMessage &message) {
    const auto changed = m_exporter->aboutToShow(id);
    if (!changed)
        refuse(message, unknownId(id));
    return changed.value_or(false);
}

QList<int> DBusMenuAdaptor::AboutToShowGroup(const QList<int> &ids, QList<int> &idErrors) {
    QList<int> updatesNeeded;
    for (const int id : ids) {
        const auto changed = m_exporter->aboutToShow(id);
        if (!changed)
            idErrors.append(id);
        else if (*changed)
            updatesNeeded.append(id);
    }
    return updatesNeeded;
}

void DBusMenuAdaptor::refuse(const QDBusMessage &message, const QString &why) const {
    message.setDelayedReply(true);
    QDBusConnection::sessionBus().send(message.createErrorReply(QDBusError::InvalidArgs, why));
}
