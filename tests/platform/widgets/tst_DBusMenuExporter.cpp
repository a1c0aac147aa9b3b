#include <QtDBus>
#include <QtTest>
#include <QtWidgets>

#include "BusPeer.h"
#include "DBusMenuExporter.h"

namespace {

const QString kPath = QStringLiteral("/MenuBar");
const QString kInterface = QStringLiteral("com.canonical.dbusmenu");

// The program's menu in small: a submenu of lines, then the usual kinds of items.
struct Menu {
    QMenu root{QStringLiteral("status")};
    QMenu *stocks = root.addMenu(QStringLiteral("銘柄"));
    QAction *toyota = stocks->addAction(QStringLiteral("7203 トヨタ自動車 ¥3,010"));
    QAction *fish = stocks->addAction(QStringLiteral("Fish && Chips"));
    QAction *separator = root.addSeparator();
    QAction *preferences = root.addAction(QStringLiteral("&Preferences…"));
    QAction *underscore = root.addAction(QStringLiteral("snake_case"));
    QAction *notice = root.addAction(QStringLiteral("取引時間外"));
    QAction *check = root.addAction(QStringLiteral("Login"));

    Menu() {
        notice->setEnabled(false);
        check->setCheckable(true);
        check->setChecked(true);
    }
};

// The panel: reads the menu and hears its signals through the bus.
class Host : public QObject {
    Q_OBJECT
public:
    Host() {
        const QString service = QDBusConnection::sessionBus().baseService();
        m_peer.bus().connect(service, kPath, kInterface, QStringLiteral("LayoutUpdated"), this,
                             SLOT(layoutUpdated(uint, int)));
        m_peer.bus().connect(service, kPath, kInterface, QStringLiteral("ItemsPropertiesUpdated"),
                             this, SLOT(propertiesUpdated(QDBusMessage)));
    }

    QDBusMessage call(const QString &method, const QVariantList &args) {
        return m_peer.call(QDBusConnection::sessionBus().baseService(), kPath, kInterface, method,
                           args);
    }
    DBusMenuLayoutItem layout() {
        const QDBusMessage reply = call("GetLayout", {0, -1, QStringList()});
        return qdbus_cast<DBusMenuLayoutItem>(reply.arguments().value(1));
    }
    // The item reached by child indices from the root.
    DBusMenuLayoutItem item(const QList<int> &path) {
        DBusMenuLayoutItem found = layout();
        for (const int index : path)
            found = found.children.value(index);
        return found;
    }

    QList<std::pair<uint, int>> layoutUpdates;
    QList<DBusMenuItemList> updated;
    QList<DBusMenuItemKeysList> removed;

public slots:
    void layoutUpdated(uint revision, int parent) { layoutUpdates.append({revision, parent}); }
    void propertiesUpdated(const QDBusMessage &message) {
        updated.append(qdbus_cast<DBusMenuItemList>(message.arguments().value(0)));
        removed.append(qdbus_cast<DBusMenuItemKeysList>(message.arguments().value(1)));
    }

private:
    BusPeer m_peer{"host"};
};

} // namespace

// Run on a session bus of its own (dbus-run-session), where this test is the panel.
class tst_DBusMenuExporter : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QVERIFY2(QDBusConnection::sessionBus().isConnected(), "no session bus");
        registerDBusMenuTypes();
    }

    void layoutAgreesWithTheMenu_data() {
        QTest::addColumn<QList<int>>("path");
        QTest::addColumn<QVariantMap>("properties");
        QTest::addColumn<int>("children");
        QTest::newRow("root") << QList<int>{} << QVariantMap{{"children-display", "submenu"}} << 6;
        QTest::newRow("submenu") << QList<int>{0}
                                 << QVariantMap{{"label", "銘柄"}, {"children-display", "submenu"}}
                                 << 2;
        QTest::newRow("line") << QList<int>{0, 0}
                              << QVariantMap{{"label", "7203 トヨタ自動車 ¥3,010"}} << 0;
        QTest::newRow("doubled ampersand")
            << QList<int>{0, 1} << QVariantMap{{"label", "Fish & Chips"}} << 0;
        QTest::newRow("separator") << QList<int>{1} << QVariantMap{{"type", "separator"}} << 0;
        QTest::newRow("mnemonic") << QList<int>{2} << QVariantMap{{"label", "_Preferences…"}} << 0;
        QTest::newRow("underscore") << QList<int>{3} << QVariantMap{{"label", "snake__case"}} << 0;
        QTest::newRow("disabled") << QList<int>{4}
                                  << QVariantMap{{"label", "取引時間外"}, {"enabled", false}} << 0;
        QTest::newRow("checked") << QList<int>{5}
                                 << QVariantMap{{"label", "Login"},
                                                {"toggle-type", "checkmark"},
                                                {"toggle-state", 1}}
                                 << 0;
    }
    void layoutAgreesWithTheMenu() {
        QFETCH(QList<int>, path);
        QFETCH(QVariantMap, properties);
        QFETCH(int, children);
        Menu menu;
        const DBusMenuExporter exporter(&menu.root, kPath);
        QVERIFY(exporter.isExported());
        Host host;
        const DBusMenuLayoutItem item = host.item(path);
        QCOMPARE(item.properties, properties);
        QCOMPARE(item.children.size(), children);
    }

    void eventsReachTheMenu_data() {
        QTest::addColumn<QList<int>>("path");
        QTest::addColumn<QString>("eventId");
        QTest::addColumn<bool>("onSubmenu");
        QTest::addColumn<QByteArray>("signal");
        QTest::newRow("clicked") << QList<int>{0, 0} << "clicked" << true
                                 << QByteArray(SIGNAL(triggered(QAction *)));
        QTest::newRow("opened") << QList<int>{0} << "opened" << true
                                << QByteArray(SIGNAL(aboutToShow()));
        QTest::newRow("closed") << QList<int>{0} << "closed" << true
                                << QByteArray(SIGNAL(aboutToHide()));
        QTest::newRow("opened root")
            << QList<int>{} << "opened" << false << QByteArray(SIGNAL(aboutToShow()));
    }
    void eventsReachTheMenu() {
        QFETCH(QList<int>, path);
        QFETCH(QString, eventId);
        QFETCH(bool, onSubmenu);
        QFETCH(QByteArray, signal);
        Menu menu;
        const DBusMenuExporter exporter(&menu.root, kPath);
        QSignalSpy heard(onSubmenu ? menu.stocks : &menu.root, signal.constData());
        Host host;
        const int id = host.item(path).id;
        const QDBusMessage reply =
            host.call("Event", {id, eventId, QVariant::fromValue(QDBusVariant(0)), 0u});
        QCOMPARE(reply.type(), QDBusMessage::ReplyMessage);
        QTRY_COMPARE(heard.size(), 1);
        if (eventId == "clicked")
            QCOMPARE(heard.at(0).at(0).value<QAction *>(), menu.toyota);
    }

    void unknownIdIsRefused() {
        Menu menu;
        const DBusMenuExporter exporter(&menu.root, kPath);
        Host host;
        const QDBusMessage reply =
            host.call("Event", {4242, "clicked", QVariant::fromValue(QDBusVariant(0)), 0u});
        QCOMPARE(reply.errorName(), QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"));
    }

    void layoutUpdatedOnceAfterAddsOrRemoves_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QList<int>>("parentPath");
        QTest::addColumn<int>("children");
        QTest::newRow("many adds") << "add" << QList<int>{} << 6 + 1000;
        QTest::newRow("remove in submenu") << "remove" << QList<int>{0} << 1;
        QTest::newRow("rebuild submenu") << "rebuild" << QList<int>{0} << 1000;
    }
    void layoutUpdatedOnceAfterAddsOrRemoves() {
        QFETCH(QString, change);
        QFETCH(QList<int>, parentPath);
        QFETCH(int, children);
        Menu menu;
        const DBusMenuExporter exporter(&menu.root, kPath);
        Host host;
        const int parent = host.item(parentPath).id;
        if (change == "remove")
            menu.stocks->removeAction(menu.fish);
        QMenu *target = change == "add" ? &menu.root : menu.stocks;
        if (change == "rebuild")
            target->clear();
        for (int i = 0; change != "remove" && i < 1000; ++i)
            target->addAction(QString::number(1000 + i));
        QTRY_COMPARE(host.layoutUpdates.size(), 1);
        QCOMPARE(host.layoutUpdates[0], std::make_pair(exporter.revision(), parent));
        QCOMPARE(host.item(parentPath).children.size(), children);
        QCOMPARE(host.layoutUpdates.size(), 1);
    }

    void propertiesUpdatedCarryOnlyTheChange_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QList<int>>("path");
        QTest::addColumn<QVariantMap>("updated");
        QTest::addColumn<QStringList>("removed");
        QTest::newRow("new text") << "setText" << QList<int>{0, 0}
                                  << QVariantMap{{"label", "7203 トヨタ自動車 ¥3,020"}}
                                  << QStringList();
        QTest::newRow("back to default")
            << "enable" << QList<int>{4} << QVariantMap() << QStringList{"enabled"};
    }
    void propertiesUpdatedCarryOnlyTheChange() {
        QFETCH(QString, change);
        QFETCH(QList<int>, path);
        QFETCH(QVariantMap, updated);
        QFETCH(QStringList, removed);
        Menu menu;
        const DBusMenuExporter exporter(&menu.root, kPath);
        Host host;
        const int id = host.item(path).id;
        if (change == "setText")
            menu.toyota->setText(QStringLiteral("7203 トヨタ自動車 ¥3,020"));
        else
            menu.notice->setEnabled(true);
        QTRY_COMPARE(host.updated.size(), 1);
        QCOMPARE(host.updated[0].size(), updated.isEmpty() ? 0 : 1);
        QCOMPARE(host.removed[0].size(), removed.isEmpty() ? 0 : 1);
        for (const DBusMenuItem &item : host.updated[0]) {
            QCOMPARE(item.id, id);
            QCOMPARE(item.properties, updated);
        }
        for (const DBusMenuItemKeys &keys : host.removed[0]) {
            QCOMPARE(keys.id, id);
            QCOMPARE(keys.names, removed);
        }
        QVERIFY(host.layoutUpdates.isEmpty());
    }
};

QTEST_MAIN(tst_DBusMenuExporter)
#include "tst_DBusMenuExporter.moc"
