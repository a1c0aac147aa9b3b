#pragma once

#include <QDBusServiceWatcher>
#include <QObject>
#include <QString>

// Puts a status item on the session bus under a name of its own and registers it with
// org.kde.StatusNotifierWatcher each time a watcher appears, so that a restarted panel finds it.
class StatusNotifierRegistrar : public QObject {
    Q_OBJECT
public:
    // `item` carries the StatusNotifierItem adaptor; it is exported at /StatusNotifierItem, unless
    // another item of this process is there already.
    explicit StatusNotifierRegistrar(QObject *item);
    ~StatusNotifierRegistrar() override;

    bool isRegistered() const { return m_registered; }
    QString serviceName() const { return m_serviceName; }

signals:
    void registeredChanged(bool registered);

private:
    void watcherOwnerChanged(const QString &owner);
    void registerWithWatcher();
    void setRegistered(bool registered);

    QString m_serviceName;
    QDBusServiceWatcher m_watcher;
    bool m_exported = false;
    bool m_registered = false;
    // Counts watcher appearances, so that an answer from one that is gone again is ignored.
    int m_generation = 0;
};
