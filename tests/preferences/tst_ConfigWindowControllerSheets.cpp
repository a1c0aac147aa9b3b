#include "tst_ConfigWindowController.h"

#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include "PreferencesHarness.h"
#include "QuoteFormat.h"

void tst_ConfigWindowController::firstPasteOfFiveLeavesFieldEmpty() {
    QCOMPARE(ConfigWindowController::rememberedCodeText(), QString());
    Preferences p({});
    p.controller->showWindow();
    p.outlet<QPushButton>("addButton")->click();
    QLineEdit *field = p.outlet<QLineEdit>("inputSheetCodeField");
    QGuiApplication::clipboard()->setText(QStringLiteral("12345"));
    field->paste();
    QCOMPARE(field->text(), QString());
    QVERIFY(!p.outlet<QPushButton>("inputSheetOKButton")->isEnabled());
}

void tst_ConfigWindowController::okOnlyAfterFourthDigit() {
    Preferences p({});
    ConfigWindowController &c = *p.controller;
    c.showWindow();
    p.outlet<QPushButton>("addButton")->click();
    QVERIFY(p.outlet<QDialog>("inputSheet")->isVisible());
    QCOMPARE(p.outlet<QDialog>("inputSheet")->windowModality(), Qt::WindowModal);
    QLineEdit *field = p.outlet<QLineEdit>("inputSheetCodeField");
    QPushButton *ok = p.outlet<QPushButton>("inputSheetOKButton");
    QCOMPARE(field->text(), QString());
    QVERIFY(!ok->isEnabled());
    for (const char digit : {'7', '2', '0'}) {
        QTest::keyClick(field, digit);
        QVERIFY(!ok->isEnabled());
    }
    QTest::keyClick(field, '3');
    QCOMPARE(field->text(), QStringLiteral("7203"));
    QVERIFY(ok->isEnabled());
    QTest::keyClick(field, Qt::Key_Backspace);
    QCOMPARE(field->text(), QStringLiteral("720"));
    QVERIFY(!ok->isEnabled());
    QCOMPARE(ConfigWindowController::rememberedCodeText(), QStringLiteral("720"));
    QTest::keyClick(field, '3');
    QVERIFY(ok->isEnabled());

    // Opening the sheet again empties the field; the remembered text stays.
    p.outlet<QPushButton>("inputSheetCancelButton")->click();
    QVERIFY(!p.outlet<QDialog>("inputSheet")->isVisible());
    p.outlet<QPushButton>("addButton")->click();
    QCOMPARE(field->text(), QString());
    QVERIFY(!ok->isEnabled());
    QCOMPARE(ConfigWindowController::rememberedCodeText(), QStringLiteral("7203"));
}

void tst_ConfigWindowController::fifthCharacterAndPasteRestoreRememberedText() {
    Preferences p({});
    ConfigWindowController &c = *p.controller;
    c.showWindow();
    p.typeCode(QStringLiteral("6758"));
    QLineEdit *field = p.outlet<QLineEdit>("inputSheetCodeField");
    QTest::keyClick(field, '9');
    QCOMPARE(field->text(), QStringLiteral("6758"));
    QVERIFY(p.outlet<QPushButton>("inputSheetOKButton")->isEnabled());
    QTest::keyClick(field, 'x');
    QCOMPARE(field->text(), QStringLiteral("6758"));

    // A fresh sheet: five pasted digits bring back what the last accepted edit left.
    p.outlet<QPushButton>("inputSheetCancelButton")->click();
    p.outlet<QPushButton>("addButton")->click();
    QCOMPARE(field->text(), QString());
    QGuiApplication::clipboard()->setText(QStringLiteral("12345"));
    field->paste();
    QCOMPARE(field->text(), QStringLiteral("6758"));
    QVERIFY(p.outlet<QPushButton>("inputSheetOKButton")->isEnabled());

    // Five digits pasted after two: the whole edit falls back to the two.
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClick(field, Qt::Key_Backspace);
    QCOMPARE(field->text(), QStringLiteral("67"));
    field->paste();
    QCOMPARE(field->text(), QStringLiteral("67"));
    QVERIFY(!p.outlet<QPushButton>("inputSheetOKButton")->isEnabled());
}

// What the field shows: typed letters become capitals, nothing else changes.
void tst_ConfigWindowController::nonAsciiDigitsKeepOKDisabled_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("letter in the third place") << QStringLiteral("72a3") << QStringLiteral("72A3");
    QTest::newRow("letter first") << QStringLiteral("A203") << QStringLiteral("A203");
    QTest::newRow("full-width digits") << QStringLiteral("７２０３") << QStringLiteral("７２０３");
    QTest::newRow("Arabic-Indic digits") << QStringLiteral("٧٢٠٣") << QStringLiteral("٧٢٠٣");
    QTest::newRow("sign") << QStringLiteral("-720") << QStringLiteral("-720");
}

void tst_ConfigWindowController::nonAsciiDigitsKeepOKDisabled() {
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    Preferences p({});
    p.controller->showWindow();
    p.typeCode(typed);
    QCOMPARE(p.outlet<QLineEdit>("inputSheetCodeField")->text(), shown);
    QVERIFY(!p.outlet<QPushButton>("inputSheetOKButton")->isEnabled());
}

void tst_ConfigWindowController::cancelEndsWithoutFetch() {
    Preferences p({}, m_site.baseURL());
    p.controller->showWindow();
    p.typeCode(QStringLiteral("7203"));
    p.outlet<QPushButton>("inputSheetCancelButton")->click();
    QVERIFY(!p.outlet<QDialog>("inputSheet")->isVisible());
    QVERIFY(!p.outlet<QDialog>("loadingWindow")->isVisible());
    QTest::qWait(100);
    QVERIFY(p.events.isEmpty()); // the watch list never heard of it
    QVERIFY(codesOf(*p.manager).isEmpty());
}

void tst_ConfigWindowController::failedFetchLeavesListAndClosesSheet() {
    Preferences p({"7203"}, m_site.baseURL());
    p.submitCode(QStringLiteral("9991")); // the site answers 500
    QVERIFY(!p.outlet<QDialog>("inputSheet")->isVisible());
    QVERIFY(p.outlet<QDialog>("loadingWindow")->isVisible());
    QCOMPARE(p.outlet<QDialog>("loadingWindow")->windowModality(), Qt::WindowModal);
    QCOMPARE(p.outlet<QProgressBar>("loadingIndicator")->maximum(), 0); // busy
    QTRY_VERIFY_WITH_TIMEOUT(!p.outlet<QDialog>("loadingWindow")->isVisible(), kFetchTimeoutMs);
    QVERIFY(p.outlet<QProgressBar>("loadingIndicator")->maximum() != 0);
    QCOMPARE(codesOf(*p.manager), QStringList{"7203"});
    QCOMPARE(p.defaults.value(UserDefaults::KEY_CODES), QStringList{"7203"});
    QCOMPARE(p.events, (QStringList{"reload 1", "closed 1"})); // announced all the same
}

void tst_ConfigWindowController::addedStockIsInTableWhenSheetCloses() {
    Preferences p({"6758"}, m_site.baseURL());
    p.submitCode(QStringLiteral("7203"));
    QTRY_VERIFY_WITH_TIMEOUT(!p.outlet<QDialog>("loadingWindow")->isVisible(), kFetchTimeoutMs);
    QCOMPARE(codesOf(*p.manager), (QStringList{"6758", "7203"}));
    QCOMPARE(p.events, (QStringList{"reload 2", "closed 2"}));
    const QAbstractItemModel *model = p.outlet<QTableView>("tableView")->model();
    QCOMPARE(model->index(1, 0).data().toString(), QStringLiteral("7203"));
}

void tst_ConfigWindowController::duplicateCodeClosesSheetUnchanged() {
    Preferences p({"7203"}, m_site.baseURL());
    p.submitCode(QStringLiteral("7203"));
    QTRY_VERIFY_WITH_TIMEOUT(!p.outlet<QDialog>("loadingWindow")->isVisible(), kFetchTimeoutMs);
    QCOMPARE(codesOf(*p.manager), QStringList{"7203"});
    QCOMPARE(p.events, QStringList{"closed 1"}); // a listed code is not even announced
}

void tst_ConfigWindowController::loadingCancelStillAdds() {
    Preferences p({}, m_site.baseURL());
    p.submitCode(QStringLiteral("7203"));
    p.outlet<QPushButton>("loadingCancelButton")->click();
    QVERIFY(!p.outlet<QDialog>("loadingWindow")->isVisible());
    QVERIFY(p.outlet<QProgressBar>("loadingIndicator")->maximum() != 0);
    QCOMPARE(p.events, QStringList{"closed 0"});

    QTRY_COMPARE_WITH_TIMEOUT(p.events.size(), 2, kFetchTimeoutMs);
    QCOMPARE(p.events.last(), QStringLiteral("reload 1"));
    QCOMPARE(codesOf(*p.manager), QStringList{"7203"});
    QTest::qWait(50); // the finish step has nothing left to close
    QCOMPARE(p.events.size(), 2);
    QVERIFY(!p.outlet<QDialog>("loadingWindow")->isVisible());
    QVERIFY(!p.outlet<QDialog>("inputSheet")->isVisible());
}

// The site failed twenty times in a row, with or without asking for ten minutes' rest: the add
// reads once through our own back-off, and shows until when the site asked us to wait.
void tst_ConfigWindowController::addWhileHostPaused_data() {
    QTest::addColumn<long>("status");
    QTest::addColumn<bool>("added");
    QTest::newRow("backed off") << 0L << true;
    QTest::newRow("asked to wait") << 429L << false;
}

void tst_ConfigWindowController::addWhileHostPaused() {
    QFETCH(long, status);
    QFETCH(bool, added);
    Preferences p({}, m_site.baseURL());
    HttpResponse answer;
    answer.ok = status != 0;
    answer.status = status;
    answer.headers.insert("retry-after", "600");
    const QDateTime now = QDateTime::currentDateTime();
    for (int i = 0; i < 20; ++i)
        p.manager->fetchPolicy().recordAnswer(QUrl(m_site.baseURL() + "/"), answer, now);
    p.submitCode(QStringLiteral("7203"));
    auto *const indicator = p.outlet<QProgressBar>("loadingIndicator");
    QTRY_VERIFY_WITH_TIMEOUT(indicator->maximum() != 0, kFetchTimeoutMs);
    QCOMPARE(codesOf(*p.manager), added ? QStringList{"7203"} : QStringList());
    QCOMPARE(p.outlet<QDialog>("loadingWindow")->isVisible(), !added);
    if (!added)
        QVERIFY(p.outlet<QLabel>("message")->text().contains(QuoteFormat::time(now.addSecs(600))));
}

void tst_ConfigWindowController::destroyingMidAddDropsFinishStep() {
    Preferences p({}, m_site.baseURL());
    p.controller->showWindow();
    p.typeCode(QStringLiteral("7203"));
    p.outlet<QPushButton>("inputSheetOKButton")->click();
    p.controller.reset(); // waits for the add task
    QCOMPARE(codesOf(*p.manager), QStringList{"7203"});
    p.delegate = nullptr; // no table left to reload
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

void tst_ConfigWindowController::removeTakesSelectedRowsCode() {
    Preferences p({"1301", "7203", "6758", "7203"});
    ConfigWindowController &c = *p.controller;
    c.showWindow();
    p.outlet<QTableView>("tableView")->selectRow(2);
    QVERIFY(p.outlet<QPushButton>("removeButton")->isEnabled());
    p.outlet<QPushButton>("removeButton")->click();
    QCOMPARE(codesOf(*p.manager), (QStringList{"1301", "7203", "7203"}));
    QTRY_COMPARE(p.outlet<QTableView>("tableView")->model()->rowCount(), 3);

    // The fourth row holds a code listed twice: the first of the two goes.
    p.outlet<QTableView>("tableView")->selectRow(2);
    p.outlet<QPushButton>("removeButton")->click();
    QCOMPARE(codesOf(*p.manager), (QStringList{"1301", "7203"}));
    QCOMPARE(p.defaults.value(UserDefaults::KEY_CODES), (QStringList{"1301", "7203"}));
}

void tst_ConfigWindowController::removeWithoutSelectionDoesNothing() {
    Preferences p({"1301", "7203"});
    ConfigWindowController &c = *p.controller;
    c.showWindow();
    p.outlet<QTableView>("tableView")->clearSelection();
    c.actionRemoveStock();
    QCOMPARE(codesOf(*p.manager), (QStringList{"1301", "7203"}));
    QTest::qWait(20);
    QVERIFY(p.events.isEmpty());
}

void tst_ConfigWindowController::deleteKeyRemovesSelectedRow() {
    Preferences p({"1301", "7203"});
    p.controller->showWindow();
    QVERIFY(QTest::qWaitForWindowActive(p.controller->window()));
    auto *table = p.outlet<QTableView>("tableView");
    table->setFocus();
    table->selectRow(1);
    QTest::keyClick(table, Qt::Key_Delete);
    QCOMPARE(codesOf(*p.manager), QStringList{"1301"});
}
