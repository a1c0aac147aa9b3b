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
        const auto row = [&unchanged](const char *name, const QString &shares, const QString &cost,
                                      const QString &refusal, const QString &stored = QString()) {
            QTest::newRow(name) << shares << cost << refusal
                                << (stored.isEmpty() ? unchanged
                                                     : QStringList{stored, unchanged.at(1)});
        };
        row("both", "1,000", "2450.5", "", "7203;shares=1000;cost=2450.5");
        row("full-width, with units", "１，０００株", "¥２，４５０．０５", "",
            "7203;shares=1000;cost=2450.05");
        row("trailing zeros", "10", "12.500円", "", "7203;shares=10;cost=12.5");
        QTest::newRow("neither") << ""
                                 << ""
                                 << "" << unchanged.mid(1);
        row("shares alone", "100", "", "取得単価を入力");
        row("cost alone", "", "100", "株数を入力");
        row("part of a share", "1.5", "100", "株数は整数");
        row("beyond sen", "100", "1.001", "1 銭");
        row("too many shares", "1000000001", "1", "1,000,000,000 株");
        row("too high a cost", "1", "100000000.01", "100,000,000 円");
        row("too long to read", "1", "99999999999999999999", "100,000,000 円");
        row("zero", "1", "0.00", "0 より大きい");
        row("negative", "−5", "1", "負の値");
        row("not a number", "1", "1e3", "「1e3」は数値ではありません");
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
