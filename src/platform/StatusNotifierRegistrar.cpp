#include "StatusNotifierRegistrar.h"

#include <atomic>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {

const QString kWatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");
const QString kItemPath = QStringLiteral("/StatusNotifierItem");

QString uniqueServiceName() {
    static std::atomic<int> count{0};
    return QStringLiteral("org.kde.StatusNotifierItem-%1-%2")
        .arg(QCoreApplication::applicationPid())
        .arg(++count);
}

} // namespace

StatusNotifierRegistrar::StatusNotifierRegistrar(QObject *item)
    : m_serviceName(uniqueServiceName())
    , m_watcher(kWatcherService, QDBusConnection::sessionBus(),
                QDBusServiceWatcher::WatchForOwnerChange) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    m_exported = bus.registerObject(kItemPath, item, QDBusConnection::ExportAdaptors);
    if (m_exported && !bus.registerService(m_serviceName)) {
        bus.unregisterObject(kItemPath);
        m_exported = false;
    }
    connect(&m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString &, const QString &, const QString &owner) {
                watcherOwnerChanged(owner);
            });
    registerWithWatcher();
}

StatusNotifierRegistrar::~StatusNotifierRegistrar() {
    if (!m_exported)
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterService(m_serviceName);
    bus.unregisterObject(kItemPath);
}

void StatusNotifierRegistrar::watcherOwnerChanged(const QString &owner) {
    ++m_generation;
    setRegistered(false);
    if (!owner.isEmpty())
        registerWithWatcher();
}

// Asks without first looking for the watcher: a missing one answers with an error, just as one
// that refuses us.
void StatusNotifierRegistrar::registerWithWatcher() {
    if (!m_exported)
        return;
    QDBusMessage call =
        QDBusMessage::createMethodCall(kWatcherService, kWatcherPath, kWatcherService,
                                       QStringLiteral("RegisterStatusNotifierItem"));
    call << m_serviceName;
    auto *answer = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call), this);
    connect(answer, &QDBusPendingCallWatcher::finished, this,
            [this, generation = m_generation](QDBusPendingCallWatcher *finished) {
                finished->deleteLater();
                if (generation == m_generation)
                    setRegistered(!QDBusPendingReply<>(*finished).isError());
            });
}

void StatusNotifierRegistrar::setRegistered(bool registered) {
    if (std::exchange(m_registered, registered) != registered)
        emit registeredChanged(registered);
}
