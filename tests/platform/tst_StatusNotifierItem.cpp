#include <QtDBus>
#include <QtTest>

#include "PanelStub.h"
#include "StatusNotifierDBusTypes.h"
#include "StatusNotifierItem.h"

namespace {

template <typename T> T fromBus(const QVariant &value) {
    return qdbus_cast<T>(value.value<QDBusArgument>());
}

} // namespace

// Run on a session bus of its own (dbus-run-session), where this test is the panel.
class tst_StatusNotifierItem : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QVERIFY2(QDBusConnection::sessionBus().isConnected(), "no session bus");
        registerStatusNotifierDBusTypes();
    }

    void registersAgainWhenTheWatcherReturns() {
        PanelWatcher watcher;
        StatusNotifierItem item(QStringLiteral("kabu-ticker"));
        QSignalSpy changes(&item, &StatusNotifierItem::registeredChanged);
        QVERIFY(watcher.start());
        QTRY_VERIFY(item.isRegistered());
        QVERIFY(watcher.stop());
        QTRY_VERIFY(!item.isRegistered());
        QVERIFY(watcher.start());
        QTRY_VERIFY(item.isRegistered());
        QCOMPARE(watcher.registered, QStringList(2, item.serviceName()));
        QVERIFY(item.serviceName().startsWith(QStringLiteral("org.kde.StatusNotifierItem-%1-")
                                                  .arg(QCoreApplication::applicationPid())));
        QCOMPARE(changes.size(), 3);
        QCOMPARE(changes.at(1).at(0).toBool(), false);
    }

    void simplePropertiesReadOverTheBus_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QVariant>("expected");
        QTest::newRow("id") << "Id" << QVariant("kabu-ticker");
        QTest::newRow("category") << "Category" << QVariant("ApplicationStatus");
        QTest::newRow("label") << "XAyatanaLabel" << QVariant("7203 ¥3,010 ▲");
        QTest::newRow("guide") << "XAyatanaLabelGuide" << QVariant("9984 ¥10,000 ▲");
        QTest::newRow("status") << "Status" << QVariant("Passive");
        QTest::newRow("menu") << "Menu" << QVariant::fromValue(QDBusObjectPath("/MenuBar"));
        QTest::newRow("item is menu") << "ItemIsMenu" << QVariant(true);
    }
    void simplePropertiesReadOverTheBus() {
        QFETCH(QString, name);
        QFETCH(QVariant, expected);
        StatusNotifierItem item(QStringLiteral("kabu-ticker"));
        item.setLabel(QStringLiteral("7203 ¥3,010 ▲"), QStringLiteral("9984 ¥10,000 ▲"));
        item.setStatus(StatusNotifierItem::Status::Passive);
        item.setMenuPath(QStringLiteral("/MenuBar"));
        PanelHost host(item.serviceName());
        QCOMPARE(host.property(name), expected);
    }

    void toolTipAndPixelsReadOverTheBus() {
        StatusNotifierItem item(QStringLiteral("kabu-ticker"));
        const quint32 pixels[2 * 3] = {0xff112233, 0, 0, 0, 0, 0x80aabbcc};
        const auto pixmap =
            StatusNotifierPixmap::fromArgb32(2, 3, reinterpret_cast<const uchar *>(pixels), 8);
        item.setIcon(QStringLiteral("kabu-ticker"), {pixmap});
        item.setToolTip({QStringLiteral("kabu-ticker"),
                         {},
                         QStringLiteral("トヨタ自動車"),
                         QStringLiteral("株価が古い")});
        PanelHost host(item.serviceName());

        const auto icons = fromBus<StatusNotifierPixmaps>(host.property("IconPixmap"));
        QCOMPARE(icons.size(), 1);
        QCOMPARE(QSize(icons[0].width, icons[0].height), QSize(2, 3));
        // Network byte order: alpha first, whatever the host's order.
        QCOMPARE(icons[0].argb32.left(4), QByteArray("\xff\x11\x22\x33", 4));
        QCOMPARE(icons[0].argb32.right(4), QByteArray("\x80\xaa\xbb\xcc", 4));
        QCOMPARE(fromBus<StatusNotifierToolTip>(host.property("ToolTip")), item.toolTip());
    }

    void newLabelOncePerChange() {
        StatusNotifierItem item(QStringLiteral("kabu-ticker"));
        PanelHost host(item.serviceName());
        const QString guide = QStringLiteral("9984 ¥10,000 ▲");
        for (const char *label : {"7203 ¥3,010 ▲", "7203 ¥3,010 ▲", "6758 ¥2,980 ▼"})
            item.setLabel(QString::fromUtf8(label), guide);
        item.setLabel(QStringLiteral("6758 ¥2,980 ▼"), QStringLiteral("6758 ¥2,980 ▼"));
        const QList<QStringList> expected{
            {"7203 ¥3,010 ▲", guide}, {"6758 ¥2,980 ▼", guide}, {"6758 ¥2,980 ▼", "6758 ¥2,980 ▼"}};
        QTRY_COMPARE(host.labels, expected);
        // Nothing more was on its way.
        host.property(QStringLiteral("Id"));
        QCOMPARE(host.labels, expected);
    }

    void panelCallsReachTheOwner_data() {
        QTest::addColumn<QString>("method");
        QTest::addColumn<QByteArray>("signal");
        QTest::newRow("activate") << "Activate" << QByteArray(SIGNAL(activateRequested(QPoint)));
        QTest::newRow("secondary")
            << "SecondaryActivate" << QByteArray(SIGNAL(secondaryActivateRequested(QPoint)));
        QTest::newRow("context menu")
            << "ContextMenu" << QByteArray(SIGNAL(contextMenuRequested(QPoint)));
    }
    void panelCallsReachTheOwner() {
        QFETCH(QString, method);
        QFETCH(QByteArray, signal);
        StatusNotifierItem item(QStringLiteral("kabu-ticker"));
        QSignalSpy requests(&item, signal.constData());
        PanelHost host(item.serviceName());
        const QDBusMessage reply = host.call(method, {640, 12});
        QCOMPARE(reply.type(), QDBusMessage::ReplyMessage);
        QCOMPARE(requests.size(), 1);
        QCOMPARE(requests.at(0).at(0).toPoint(), QPoint(640, 12));
    }
};

QTEST_GUILESS_MAIN(tst_StatusNotifierItem)
#include "tst_StatusNotifierItem.moc"
