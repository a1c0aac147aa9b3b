#include <QLabel>
#include <QtTest>

#include "HoldingBook.h"
#include "HoldingSheet.h"
#include "PreferencesHarness.h"
#include "ScratchSettings.h"

// The holding sheet is reached and filled by keyboard alone; what it refuses it says and keeps
// nothing of.
class tst_HoldingSheet : public QObject {
    Q_OBJECT
private slots:
    void entries_data() {
        QTest::addColumn<QString>("shares");
        QTest::addColumn<QString>("cost");
        QTest::addColumn<QString>("refusal"); // empty: accepted
        QTest::addColumn<QStringList>("stored");
        const QStringList unchanged{"7203;shares=100;cost=2400", "6758;shares=5;cost=10"};
        QTest::newRow("both") << "1,000"
                              << "2450.5"
                              << "" << QStringList{"7203;shares=1000;cost=2450.5", unchanged.at(1)};
        QTest::newRow("neither") << ""
                                 << ""
                                 << "" << unchanged.mid(1);
        QTest::newRow("shares alone") << "100"
                                      << ""
                                      << "取得単価を入力" << unchanged;
        QTest::newRow("beyond sen") << "100"
                                    << "1.001"
                                    << "1 銭" << unchanged;
        QTest::newRow("too many shares") << "2000000000"
                                         << "1"
                                         << "1,000,000,000 株" << unchanged;
    }
    void entries() {
        QFETCH(QString, shares);
        QFETCH(QString, cost);
        QFETCH(QString, refusal);
        QFETCH(QStringList, stored);
        ScratchSettings defaults;
        defaults.setValue(UserDefaults::KEY_CODES, {"7203", "6758"});
        defaults.setValue(UserDefaults::KEY_HOLDINGS,
                          {"7203;shares=100;cost=2400", "6758;shares=5;cost=10"});
        StockManager manager(defaults, QString(), std::chrono::milliseconds(0));
        HoldingBook book(defaults, manager);
        RecordingInterval interval;
        ConfigWindowController controller(manager, interval);
        controller.setHoldingBook(&book);
        controller.showWindow();
        QVERIFY(QTest::qWaitForWindowActive(controller.window()));
        auto *button = controller.window()->findChild<QPushButton *>("holdingButton");
        auto *table = controller.window()->findChild<QTableView *>("tableView");
        QVERIFY(button && table && !button->isEnabled());
        table->setFocus();
        QTest::keyClick(table, Qt::Key_Space); // the first row, current on focus
        QVERIFY(button->isEnabled());

        QTest::keyClick(controller.window(), Qt::Key_H, Qt::AltModifier);
        auto *sheet = controller.window()->findChild<HoldingSheet *>("holdingSheet");
        QTRY_VERIFY(sheet && sheet->isVisible());
        QCOMPARE(sheet->findChild<QLineEdit *>("costField")->text(), QStringLiteral("2400"));
        for (const QString &text : {shares, cost}) {
            auto *field = qobject_cast<QLineEdit *>(QApplication::focusWidget());
            QVERIFY(field);
            field->selectAll();
            QTest::keyClick(field, Qt::Key_Delete);
            Preferences::typeText(field, text);
            QTest::keyClick(field, Qt::Key_Tab);
        }
        QTest::keyClick(sheet, Qt::Key_Return);
        QCOMPARE(sheet->isVisible(), !refusal.isEmpty());
        QVERIFY(sheet->findChild<QLabel *>("errorLabel")->text().contains(refusal));
        QCOMPARE(defaults.value(UserDefaults::KEY_HOLDINGS), stored);
    }
};

QTEST_MAIN(tst_HoldingSheet)
#include "tst_HoldingSheet.moc"
