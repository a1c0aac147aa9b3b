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
    QCOMPARE(c.generalView(), nullptr);
    QCOMPARE(c.stockTableController(), nullptr);
    QCOMPARE(c.intervalSlider(), nullptr);
    QCOMPARE(c.inputSheet(), nullptr);
    QCOMPARE(c.loadingWindow(), nullptr);
    // Requests through the missing window do nothing.
    c.actionGeneralView();
    c.actionAddStock();
    c.actionRemoveStock();
    c.actionIntervalSlider();
    c.actionLoginItem();
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
    QCOMPARE(window->centralWidget(), c.generalView());
    QCOMPARE(c.intervalSlider()->value(), 125);
    QCOMPARE(c.intervalLabel()->text(), QStringLiteral("12.5 分"));
    QVERIFY(p.interval.received.isEmpty()); // showing the interval does not set it
    QCOMPARE(c.bundleName()->text(), QStringLiteral(KABU_DISPLAY_NAME));
    QCOMPARE(c.bundleVersion()->text(), QStringLiteral(KABU_VERSION));
    QVERIFY(!c.inputSheet()->isVisible());
    QVERIFY(!c.loadingWindow()->isVisible());
    QVERIFY(!c.removeButton()->isEnabled());
    QCOMPARE(c.inputSheetOKButton()->property("tag").toInt(), 1);
    QVERIFY(c.inputSheetCancelButton()->property("tag").toInt() != 1);
    QCOMPARE(c.inputSheetCodeField()->property("tag").toInt(), 0);
    QVERIFY(c.inputSheet()->parent() == window && c.loadingWindow()->parent() == window);

    // Showing again keeps the window and does not refresh its controls.
    window->hide();
    p.interval.stored = 30.0;
    c.showWindow();
    QCOMPARE(c.window(), window);
    QVERIFY(window->isVisible());
    QCOMPARE(c.intervalSlider()->value(), 125);
}

void tst_ConfigWindowController::missingLoginItemLeavesLaunchBoxOff() {
    QVERIFY(writeDesktopFile(QDir(autostartDir()).filePath("other.desktop"), "/usr/bin/true"));
    Preferences p({});
    p.controller->showWindow();
    QVERIFY(!p.controller->isEnableLoginItem());
    QCOMPARE(p.controller->launchButton()->checkState(), Qt::Unchecked);
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
    const QSize generalSize = c.generalView()->size();
    const QSize chrome = generalFrame.size() - generalSize;
    QCOMPARE(chrome.width(), 0);
    QVERIFY(chrome.height() > 0); // the toolbar
    const QSize infoSize = c.infoView()->size();
    QVERIFY(infoSize.height() < generalSize.height());

    p.toolbarItem("TOOLBAR_INFO")->trigger();
    QCOMPARE(window->centralWidget(), c.infoView()); // the content swaps at once
    QVERIFY(p.toolbarItem("TOOLBAR_INFO")->isChecked());
    QVERIFY(!p.toolbarItem("TOOLBAR_GENERAL")->isChecked());
    const QRect infoFrame(topLeft, infoSize + chrome);
    QTRY_COMPARE(window->geometry(), infoFrame);
    QCOMPARE(c.infoView()->size(), infoSize);
    QVERIFY(!c.generalView()->isVisible());

    // The same pane again: the same rectangle.
    p.toolbarItem("TOOLBAR_INFO")->trigger();
    QTRY_COMPARE(window->geometry(), infoFrame);

    // Back to the taller pane: the bottom edge moves down, top and left stay.
    p.toolbarItem("TOOLBAR_GENERAL")->trigger();
    QCOMPARE(window->centralWidget(), c.generalView());
    QTRY_COMPARE(window->geometry(), QRect(topLeft, generalSize + chrome));
    QVERIFY(c.generalView()->isVisible());
    QCOMPARE(c.generalView()->size(), generalSize);
}

void tst_ConfigWindowController::sliderHandsOnMinutesUnchanged() {
    Preferences p({});
    ConfigWindowController &c = *p.controller;
    c.showWindow();
    QSlider *slider = c.intervalSlider();
    slider->setFocus();
    slider->setValue(25);
    QCOMPARE(p.interval.received, QList<double>{2.5});
    QCOMPARE(p.interval.stored, 5.0);
    QCOMPARE(slider->value(), 25); // not moved to the clamped value
    QCOMPARE(c.intervalLabel()->text(), QStringLiteral("2.5 分"));

    QTest::keyClick(slider, Qt::Key_Right);
    QCOMPARE(slider->value(), 26);
    QCOMPARE(p.interval.received.last(), 2.6);
    slider->setValue(123);
    QCOMPARE(p.interval.received.last(), 12.3);
    QCOMPARE(p.interval.stored, 12.3);
    QCOMPARE(c.intervalLabel()->text(), QStringLiteral("12.3 分"));

    // While dragged, the label follows; the interval is set once the slider is let go.
    slider->setSliderDown(true);
    slider->setSliderPosition(42);
    QCOMPARE(c.intervalLabel()->text(), QStringLiteral("4.2 分"));
    QCOMPARE(p.interval.received.last(), 12.3);
    slider->setSliderDown(false);
    QCOMPARE(p.interval.received.last(), 4.2);
    QCOMPARE(p.interval.stored, 5.0);
}

void tst_ConfigWindowController::sliderShowsStoredIntervalOnNextStart() {
    Preferences p({});
    p.interval.stored = 5.0;
    p.controller->showWindow();
    QCOMPARE(p.controller->intervalSlider()->value(), 50);
    QCOMPARE(p.controller->intervalLabel()->text(), QStringLiteral("5.0 分"));
}

void tst_ConfigWindowController::launchBoxShowsExistingLoginItem() {
    const QString own = LoginItems::applicationPath();
    QVERIFY(writeDesktopFile(QDir(autostartDir()).filePath("a.desktop"), own));
    QVERIFY(writeDesktopFile(QDir(autostartDir()).filePath("b.desktop"), own));
    Preferences p({});
    p.controller->showWindow();
    QCOMPARE(p.controller->launchButton()->checkState(), Qt::Checked);
    QCOMPARE(QDir(autostartDir()).entryList(QDir::Files).size(), 2); // showing writes nothing

    // Turning it off takes out the first entry only.
    p.controller->launchButton()->click();
    QCOMPARE(QDir(autostartDir()).entryList(QDir::Files), QStringList{"b.desktop"});
    QVERIFY(p.controller->isEnableLoginItem());
}

void tst_ConfigWindowController::launchBoxAddsAndRemovesLoginItem() {
    Preferences p({});
    p.controller->showWindow();
    QCheckBox *box = p.controller->launchButton();
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
