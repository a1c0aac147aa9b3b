#include <QtDBus>
#include <QtTest>

#include "AlertMonitor.h"
#include "AlertPresenter.h"
#include "StatusView.h"
#include "UrlRecorder.h"

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");

// The desktop's notification service, on a connection of its own: notes each Notify and can
// report a chosen action as a real server does.
class NotificationServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Call {
        QString appIcon, summary, body;
        QStringList actions;
        QVariantMap hints;
    };

    explicit NotificationServer(const QString &connection = "server")
        : m_connection(connection)
        , m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, connection)) {}
    // Unregistered here, on the test's thread, so that the bus's own thread does not reach for
    // this object while the connection closes.
    ~NotificationServer() override {
        m_bus.unregisterObject(kPath);
        QDBusConnection::disconnectFromBus(m_connection);
    }

    bool start() {
        return m_bus.registerObject(kPath, this, QDBusConnection::ExportAllSlots) &&
               m_bus.registerService(kService);
    }
    bool stop() { return m_bus.unregisterService(kService); }
    bool invokeAction(uint id, const QString &key) {
        QDBusMessage signal = QDBusMessage::createSignal(kPath, kService, "ActionInvoked");
        signal << id << key;
        return m_bus.send(signal);
    }

    QList<Call> calls;

public slots:
    uint Notify(const QString &, uint, const QString &appIcon, const QString &summary,
                const QString &body, const QStringList &actions, const QVariantMap &hints, int) {
        calls.append({appIcon, summary, body, actions, hints});
        return uint(calls.size());
    }

private:
    QString m_connection;
    QDBusConnection m_bus;
};

AlertEvent toyotaAlert() {
    return {.code = "7203",
            .summary = "7203 トヨタ自動車 ¥3,010 (+45)",
            .rule = "¥3,000 以上",
            .body = "アラート「¥3,000 以上」に達しました",
            .page = QUrl("http://127.0.0.1:18765/stocks/detail/?code=7203"),
            .at = QDateTime::currentDateTime()};
}

} // namespace

// Run on a session bus of its own (dbus-run-session), where this test is the notification service.
class tst_AlertPresenter : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY2(QDBusConnection::sessionBus().isConnected(), "no session bus"); }

    void notifiesAndOpensThePage() {
        NotificationServer server;
        QVERIFY(server.start());
        StatusView view;
        const UrlRecorder browser;
        AlertPresenter presenter(&view, nullptr);
        presenter.present(toyotaAlert());
        QTRY_COMPARE(server.calls.size(), 1);
        const NotificationServer::Call call = server.calls.first();
        QCOMPARE(call.summary, toyotaAlert().summary);
        QCOMPARE(call.body, toyotaAlert().body);
        QCOMPARE(call.appIcon, QStringLiteral("io.github.kabuticker.KabuTicker"));
        QCOMPARE(call.hints.value("desktop-entry").toString(), call.appIcon);
        QCOMPARE(call.actions, (QStringList{"default", "開く"}));

        QVERIFY(server.invokeAction(7, "default")); // another program's notification
        NotificationServer impostor("impostor");    // on the bus, but not the service
        QVERIFY(impostor.invokeAction(1, "default"));
        QTest::qWait(300);
        QVERIFY(browser.urls.isEmpty());
        QVERIFY(server.invokeAction(1, "default"));
        QTRY_COMPARE(browser.urls, QList<QUrl>{toyotaAlert().page});
        QVERIFY(!view.highlighted());
    }

    // Without the service the strip flashes: highlighted for a moment, then plain again.
    void flashesWithoutService() {
        NotificationServer server;
        QVERIFY(server.start() && server.stop());
        StatusView view;
        AlertPresenter presenter(&view, nullptr);
        presenter.present(toyotaAlert());
        QTRY_VERIFY(view.highlighted());
        QTRY_VERIFY_WITH_TIMEOUT(!view.highlighted(), 3000);
        QTest::qWait(600);
        QVERIFY(!view.highlighted());
        QVERIFY(server.calls.isEmpty());
    }
};

QTEST_MAIN(tst_AlertPresenter)
#include "tst_AlertPresenter.moc"
