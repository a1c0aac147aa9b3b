#include <QtDBus>
#include <QtTest>

#include "DisplayPlaceSwitch.h"
#include "ScratchSettings.h"

using Surface = DisplayPlace::Surface;

namespace {

const QString kWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");

// A panel's watcher name, held on a connection of its own as another program would.
class WatcherName {
public:
    WatcherName()
        : m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, "panel")) {}
    ~WatcherName() { QDBusConnection::disconnectFromBus("panel"); }
    bool take() { return m_bus.registerService(kWatcher); }
    bool drop() { return m_bus.unregisterService(kWatcher); }

private:
    QDBusConnection m_bus;
};

} // namespace

// Over a private session bus, on a desktop that draws labels.
class tst_DisplayPlaceSwitch : public QObject {
    Q_OBJECT

private slots:
    // The panel restarts: the strip stands in while its watcher is gone.
    void followsTheWatcher() {
        ScratchSettings defaults;
        WatcherName watcher;
        QVERIFY(watcher.take());
        DisplayPlaceSwitch place(defaults, QStringLiteral("MATE"));
        QCOMPARE(place.surface(), Surface::Panel);
        QVERIFY(watcher.drop());
        QTRY_COMPARE(place.surface(), Surface::Strip);
        QVERIFY(watcher.take());
        QTRY_COMPARE(place.surface(), Surface::Panel);
    }

    void aChoiceTakesEffectAtOnceAndIsKept() {
        ScratchSettings defaults;
        WatcherName watcher;
        QVERIFY(watcher.take());
        DisplayPlaceSwitch place(defaults, QStringLiteral("MATE"));
        QSignalSpy changes(&place, &DisplayPlaceSwitch::surfaceChanged);
        place.setChoice(QStringLiteral("strip"));
        QCOMPARE(changes.size(), 1);
        QCOMPARE(place.surface(), Surface::Strip);
        QCOMPARE(DisplayPlaceSwitch(defaults, QStringLiteral("MATE")).choice(),
                 QStringLiteral("strip"));
    }
};

QTEST_GUILESS_MAIN(tst_DisplayPlaceSwitch)
#include "tst_DisplayPlaceSwitch.moc"
