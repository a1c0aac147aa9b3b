#include <QComboBox>
#include <QMainWindow>
#include <QtTest>

#include "ConfigWindowController.h"
#include "DisplayPlaceSwitch.h"
#include "FixedInterval.h"
#include "ScratchSettings.h"
#include "StockManager.h"
#include "UserDefaults.h"

// The 表示場所 box as the preferences window shows it, found by its name.
class tst_DisplayPlaceBox : public QObject {
    Q_OBJECT

private slots:
    void boxShowsAndChangesTheStoredChoice_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("picked");
        QTest::addColumn<QString>("kept");
        QTest::newRow("automatic by default") << ""
                                              << "自動" << 2 << "strip";
        QTest::newRow("the panel") << "panel"
                                   << "パネル" << 0 << "auto";
        QTest::newRow("an unknown value") << "dock"
                                          << "自動" << 1 << "panel";
    }
    void boxShowsAndChangesTheStoredChoice() {
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        QFETCH(int, picked);
        QFETCH(QString, kept);
        ScratchSettings defaults;
        if (!stored.isEmpty())
            QVERIFY(defaults.setValue(UserDefaults::KEY_DISPLAY_PLACE, stored));
        DisplayPlaceSwitch place(defaults);
        StockManager manager(defaults, QStringLiteral("http://127.0.0.1:9"));
        FixedInterval interval;
        ConfigWindowController preferences(manager, interval);
        preferences.setDisplayPlace(&place);
        preferences.showWindow();

        auto *box = preferences.window()->findChild<QComboBox *>(QStringLiteral("displayPlaceBox"));
        QVERIFY(box && box->isVisible());
        QCOMPARE(box->currentText(), shown);
        box->activated(picked);
        QCOMPARE(defaults.value(UserDefaults::KEY_DISPLAY_PLACE), kept);
    }
};

QTEST_MAIN(tst_DisplayPlaceBox)
#include "tst_DisplayPlaceBox.moc"
