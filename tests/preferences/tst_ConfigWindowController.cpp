#include "tst_ConfigWindowController.h"

#include <QCheckBox>
#include <QLabel>
#include <QSlider>

#include "LoginItems.h"
#include "PreferencesHarness.h"

void tst_ConfigWindowController::initTestCase() {
    qputenv("XDG_CONFIG_HOME", m_configHome.path().toUtf8());
    QVERIFY2(m_site.isRunning(), "the quote-site simulator did not start");
    QVERIFY(QDir().mkpath(autostartDir()));
}

void tst_ConfigWindowController::cleanup() {
    QDir(autostartDir()).removeRecursively();
    QVERIFY(QDir().mkpath(autostartDir()));
}

QString tst_ConfigWindowController::autostartDir() const {
    return LoginItems::standardDirectory();
}

void tst_ConfigWindowController::nothingIsBuiltBeforeShowWindow() {
    Preferences p({"7203"});
    ConfigWindowController &c = *p.controller;
    QCOMPARE(c.window(), nullptr);
    QCOMPARE(c.stockTableController(), nullptr);
    // Requests through the missing window do nothing.
    c.actionGeneralView();
    c.actionAddStock();
    c.actionRemoveStock();
    c.actionIntervalSlider();
    c.actionLoginItem();
    c.actionColourScheme(1);
    c.actionLoadingCancel();
    c.resizeWindowWithView(nullptr);
    QCOMPARE(c.window(), nullptr);
    QCOMPARE(codesOf(*p.manager), QStringList{"7203"});
    QVERIFY(p.interval.received.isEmpty());
}

void tst_ConfigWindowController::showWindowBuildsOnceAndFillsControls() {
    Preferences p({});
    p.interval.stored = 12.5;
    ConfigWindowController &c = *p.controller;
    c.showWindow();
    QMainWindow *window = c.window();
    QVERIFY(window);
    QVERIFY(window->isVisible());
    QVERIFY(p.toolbarItem("TOOLBAR_GENERAL")->isChecked());
    QVERIFY(!p.toolbarItem("TOOLBAR_INFO")->isChecked());
    QCOMPARE(window->centralWidget(), p.outlet<QWidget>("generalView"));
    QCOMPARE(p.outlet<QSlider>("intervalSlider")->value(), 125);
    QCOMPARE(p.outlet<QLabel>("intervalLabel")->text(), QStringLiteral("12.5分"));
    QVERIFY(p.interval.received.isEmpty()); // showing the interval does not set it
    QCOMPARE(p.outlet<QLabel>("bundleName")->text(), QStringLiteral(KABU_DISPLAY_NAME));
    QCOMPARE(p.outlet<QLabel>("bundleVersion")->text(), QStringLiteral(KABU_VERSION));
    QVERIFY(!p.outlet<QDialog>("inputSheet")->isVisible());
    QVERIFY(!p.outlet<QDialog>("loadingWindow")->isVisible());
    QVERIFY(!p.outlet<QPushButton>("removeButton")->isEnabled());
    QCOMPARE(p.outlet<QPushButton>("inputSheetOKButton")->property("tag").toInt(), 1);
    QVERIFY(p.outlet<QPushButton>("inputSheetCancelButton")->property("tag").toInt() != 1);
    QCOMPARE(p.outlet<QLineEdit>("inputSheetCodeField")->property("tag").toInt(), 0);
    QVERIFY(p.outlet<QDialog>("inputSheet")->parent() == window &&
            p.outlet<QDialog>("loadingWindow")->parent() == window);

    // Showing again keeps the window and does not refresh its controls.
    window->hide();
    p.interval.stored = 30.0;
    c.showWindow();
    QCOMPARE(c.window(), window);
    QVERIFY(window->isVisible());
    QCOMPARE(p.outlet<QSlider>("intervalSlider")->value(), 125);
}

void tst_ConfigWindowController::missingLoginItemLeavesLaunchBoxOff() {
    QVERIFY(writeDesktopFile(QDir(autostartDir()).filePath("other.desktop"), "/usr/bin/true"));
    Preferences p({});
    p.controller->showWindow();
    QVERIFY(!p.controller->isEnableLoginItem());
    QCOMPARE(p.outlet<QCheckBox>("launchButton")->checkState(), Qt::Unchecked);
}

void tst_ConfigWindowController::paneSwitchKeepsTopLeftAndTakesPaneSize() {
    Preferences p({});
    ConfigWindowController &c = *p.controller;
    c.showWindow();
    QMainWindow *window = c.window();
    c.finishResize();
    window->move(100, 120);
    QTRY_COMPARE(window->pos(), QPoint(100, 120));
    const QRect generalFrame = window->geometry();
    const QPoint topLeft = generalFrame.topLeft(); // inside the frame the window system draws
    const QSize generalSize = p.outlet<QWidget>("generalView")->size();
    const QSize chrome = generalFrame.size() - generalSize;
    QCOMPARE(chrome.width(), 0);
    QVERIFY(chrome.height() > 0); // the toolbar
    const QSize infoSize = p.outlet<QWidget>("infoView")->size();
    QVERIFY(infoSize.height() < generalSize.height());

    p.toolbarItem("TOOLBAR_INFO")->trigger();
    QCOMPARE(window->centralWidget(), p.outlet<QWidget>("infoView")); // the content swaps at once
    QVERIFY(p.toolbarItem("TOOLBAR_INFO")->isChecked());
    QVERIFY(!p.toolbarItem("TOOLBAR_GENERAL")->isChecked());
    const QRect infoFrame(topLeft, infoSize + chrome);
    QTRY_COMPARE(window->geometry(), infoFrame);
    QCOMPARE(p.outlet<QWidget>("infoView")->size(), infoSize);
    QVERIFY(!p.outlet<QWidget>("generalView")->isVisible());

    // The same pane again: the same rectangle.
    p.toolbarItem("TOOLBAR_INFO")->trigger();
    QTRY_COMPARE(window->geometry(), infoFrame);

    // Back to the taller pane: the bottom edge moves down, top and left stay.
    p.toolbarItem("TOOLBAR_GENERAL")->trigger();
    QCOMPARE(window->centralWidget(), p.outlet<QWidget>("generalView"));
    QTRY_COMPARE(window->geometry(), QRect(topLeft, generalSize + chrome));
    QVERIFY(p.outlet<QWidget>("generalView")->isVisible());
    QCOMPARE(p.outlet<QWidget>("generalView")->size(), generalSize);
}

void tst_ConfigWindowController::sliderHandsOnMinutesUnchanged() {
    Preferences p({});
    ConfigWindowController &c = *p.controller;
    c.showWindow();
    QSlider *slider = p.outlet<QSlider>("intervalSlider");
    QLabel *label = p.outlet<QLabel>("intervalLabel");
    slider->setFocus();
    slider->setValue(25); // below the floor: the slider stops at five minutes
    QCOMPARE(slider->value(), 50);
    QCOMPARE(p.interval.received, QList<double>{5.0});
    QCOMPARE(label->text(), QStringLiteral("5分"));

    QTest::keyClick(slider, Qt::Key_Right);
    QCOMPARE(slider->value(), 51);
    QCOMPARE(p.interval.received.last(), 5.1);
    slider->setValue(123);
    QCOMPARE(p.interval.received.last(), 12.3);
    QCOMPARE(p.interval.stored, 12.3);
    QCOMPARE(label->text(), QStringLiteral("12.3分"));

    // While dragged, the label follows; the interval is set once the slider is let go.
    slider->setSliderDown(true);
    slider->setSliderPosition(420);
    QCOMPARE(label->text(), QStringLiteral("42分"));
    QCOMPARE(p.interval.received.last(), 12.3);
    slider->setSliderDown(false);
    QCOMPARE(p.interval.received.last(), 42.0);
}

// A stored interval under the floor, which the ticker keeps, shows as the floor and stays stored.
void tst_ConfigWindowController::sliderShowsStoredIntervalOnNextStart_data() {
    QTest::addColumn<double>("stored");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("label");
    QTest::newRow("floor") << 5.0 << 50 << "5分";
    QTest::newRow("default") << 10.0 << 100 << "10分";
    QTest::newRow("under the floor") << 2.5 << 50 << "5分";
}

void tst_ConfigWindowController::sliderShowsStoredIntervalOnNextStart() {
    QFETCH(double, stored);
    QFETCH(int, position);
    QFETCH(QString, label);
    Preferences p({});
    p.interval.stored = stored;
    p.controller->showWindow();
    QCOMPARE(p.outlet<QSlider>("intervalSlider")->value(), position);
    QCOMPARE(p.outlet<QLabel>("intervalLabel")->text(), label);
    QVERIFY(p.interval.received.isEmpty());
}

void tst_ConfigWindowController::launchBoxShowsExistingLoginItem() {
    const QString own = LoginItems::applicationPath();
    QVERIFY(writeDesktopFile(QDir(autostartDir()).filePath("a.desktop"), own));
    QVERIFY(writeDesktopFile(QDir(autostartDir()).filePath("b.desktop"), own));
    Preferences p({});
    p.controller->showWindow();
    QCOMPARE(p.outlet<QCheckBox>("launchButton")->checkState(), Qt::Checked);
    QCOMPARE(QDir(autostartDir()).entryList(QDir::Files).size(), 2); // showing writes nothing

    // Turning it off takes out the first entry only.
    p.outlet<QCheckBox>("launchButton")->click();
    QCOMPARE(QDir(autostartDir()).entryList(QDir::Files), QStringList{"b.desktop"});
    QVERIFY(p.controller->isEnableLoginItem());
}

void tst_ConfigWindowController::launchBoxAddsAndRemovesLoginItem() {
    Preferences p({});
    p.controller->showWindow();
    QCheckBox *box = p.outlet<QCheckBox>("launchButton");
    QCOMPARE(box->checkState(), Qt::Unchecked);
    box->click();
    QVERIFY(box->isChecked());
    QVERIFY(p.controller->isEnableLoginItem());
    QCOMPARE(QDir(autostartDir()).entryList(QDir::Files).size(), 1);
    box->click();
    QVERIFY(!box->isChecked());
    QVERIFY(!p.controller->isEnableLoginItem());
    QVERIFY(QDir(autostartDir()).entryList(QDir::Files).isEmpty());
    // The mixed state is never acted on.
    box->setTristate(true);
    box->setCheckState(Qt::PartiallyChecked);
    p.controller->actionLoginItem();
    QVERIFY(QDir(autostartDir()).entryList(QDir::Files).isEmpty());
}

// Runs first of the input-sheet cases: nothing has been remembered yet in this process.
QTEST_MAIN(tst_ConfigWindowController)
