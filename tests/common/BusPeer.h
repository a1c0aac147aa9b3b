#pragma once

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QTest>

// Another program on the session bus, on a connection of its own, so that what the test calls
// goes through the bus. Calls wait in the event loop, since the callee answers on this thread.
class BusPeer {
public:
    explicit BusPeer(const QString &name)
        : m_name(name)
        , m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, name)) {}
    ~BusPeer() { QDBusConnection::disconnectFromBus(m_name); }
    BusPeer(const BusPeer &) = delete;
    BusPeer &operator=(const BusPeer &) = delete;

    QDBusConnection &bus() { return m_bus; }

    // The reply, or an invalid message when none came within five seconds. Signals the callee
    // sent before its reply have reached their slots by then.
    QDBusMessage call(const QString &service, const QString &path, const QString &interface,
                      const QString &method, const QVariantList &arguments = {}) {
        QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
        message.setArguments(arguments);
        const QDBusPendingCall pending = m_bus.asyncCall(message);
        if (!QTest::qWaitFor([&] { return pending.isFinished(); }, 5000))
            return {};
        QCoreApplication::processEvents();
        return pending.reply();
    }

private:
    QString m_name;
    QDBusConnection m_bus;
};
