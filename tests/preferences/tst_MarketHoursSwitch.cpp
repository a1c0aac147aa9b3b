#include <QCheckBox>
#include <QMainWindow>
#include <QtTest>

#include "ConfigWindowController.h"
#include "FixedInterval.h"
#include "MarketHours.h"
#include "ScratchSettings.h"
#include "StockManager.h"
#include "UserDefaults.h"

// The check box as the preferences window shows it, found by its name.
class tst_MarketHoursSwitch : public QObject {
    Q_OBJECT

private slots:
    void boxShowsAndChangesTheStoredSwitch_data() {
        QTest::addColumn<bool>("stored");
        QTest::newRow("off") << false;
        QTest::newRow("on") << true;
    }
    void boxShowsAndChangesTheStoredSwitch() {
        QFETCH(bool, stored);
        ScratchSettings defaults;
        QVERIFY(defaults.setValue(UserDefaults::KEY_MARKET_HOURS_ONLY, stored));
        MarketHours hours(defaults);
        StockManager manager(defaults, QStringLiteral("http://127.0.0.1:9"));
        FixedInterval interval;
        ConfigWindowController preferences(manager, interval);
        preferences.setMarketHours(&hours);
        preferences.showWindow();

        auto *box =
            preferences.window()->findChild<QCheckBox *>(QStringLiteral("marketHoursSwitch"));
        QVERIFY(box && box->isVisible());
        QCOMPARE(box->text(), QStringLiteral("取引時間外は更新しない"));
        QCOMPARE(box->isChecked(), stored);
        box->click();
        QCOMPARE(hours.isEnabled(), !stored);
        QCOMPARE(MarketHours(defaults).isEnabled(), !stored);
    }

    void noSwitchHidesTheBox() {
        ScratchSettings defaults;
        StockManager manager(defaults, QStringLiteral("http://127.0.0.1:9"));
        FixedInterval interval;
        ConfigWindowController preferences(manager, interval);
        preferences.showWindow();
        auto *box =
            preferences.window()->findChild<QCheckBox *>(QStringLiteral("marketHoursSwitch"));
        QVERIFY(box && !box->isVisible());
    }
};

QTEST_MAIN(tst_MarketHoursSwitch)
#include "tst_MarketHoursSwitch.moc"
