#pragma once

#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QObject>
#include <QStringList>

#include "BusPeer.h"

// A desktop panel in small, for tests on a session bus of their own: its watcher, and the host
// that reads an item and drives its exported menu, each on a connection of its own.

// The watcher: notes each item that registers, and can leave the bus and come back as a
// restarted panel does.
class PanelWatcher : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
public:
    PanelWatcher() { m_peer.bus().registerObject(path(), this, QDBusConnection::ExportAllSlots); }
    ~PanelWatcher() override { m_peer.bus().unregisterObject(path()); }
    bool start() { return m_peer.bus().registerService(service()); }
    bool stop() { return m_peer.bus().unregisterService(service()); }

    QStringList registered;

public slots:
    void RegisterStatusNotifierItem(const QString &service) { registered.append(service); }

private:
    static QString service() { return QStringLiteral("org.kde.StatusNotifierWatcher"); }
    static QString path() { return QStringLiteral("/StatusNotifierWatcher"); }

    BusPeer m_peer{"watcher"};
};

// The host: reads the item's properties, hears its new labels, and calls its menu.
class PanelHost : public QObject {
    Q_OBJECT
public:
    explicit PanelHost(const QString &service)
        : m_peer("host")
        , m_service(service) {
        m_peer.bus().connect(service, itemPath(), itemInterface(),
                             QStringLiteral("XAyatanaNewLabel"), this,
                             SLOT(newLabel(QString, QString)));
    }

    QDBusMessage call(const QString &method, const QVariantList &args) {
        return m_peer.call(m_service, itemPath(), itemInterface(), method, args);
    }
    QVariant property(const QString &name) {
        const QDBusMessage reply =
            m_peer.call(m_service, itemPath(), QStringLiteral("org.freedesktop.DBus.Properties"),
                        QStringLiteral("Get"), {itemInterface(), name});
        return reply.arguments().value(0).value<QDBusVariant>().variant();
    }
    // A com.canonical.dbusmenu call on the menu the item names.
    QDBusMessage callMenu(const QString &method, const QVariantList &args) {
        const QString menu = property(QStringLiteral("Menu")).value<QDBusObjectPath>().path();
        return m_peer.call(m_service, menu, QStringLiteral("com.canonical.dbusmenu"), method, args);
    }

    QList<QStringList> labels;

public slots:
    void newLabel(const QString &label, const QString &guide) { labels.append({label, guide}); }

private:
    static QString itemPath() { return QStringLiteral("/StatusNotifierItem"); }
    static QString itemInterface() { return QStringLiteral("org.kde.StatusNotifierItem"); }

    BusPeer m_peer;
    QString m_service;
};
