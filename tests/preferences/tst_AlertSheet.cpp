#include <QLabel>
#include <QtTest>

#include "AlertBook.h"
#include "AlertSheet.h"
#include "PreferencesHarness.h"
#include "ScratchSettings.h"

namespace {

const QStringList kStored{"7203;above=2900", "6758;below=2000", "9984;above=1"};

// What a key press of the text types, one key per character.
void typeInto(const QString &text) {
    QWidget *field = QApplication::focusWidget();
    QVERIFY(field);
    Preferences::typeText(field, text);
}

} // namespace

// The alert sheet is reached and filled by keyboard alone; what it refuses it says and keeps
// nothing of.
class tst_AlertSheet : public QObject {
    Q_OBJECT
private slots:
    void entries_data() {
        QTest::addColumn<QString>("above");
        QTest::addColumn<QString>("below");
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("refusal"); // empty: accepted
        QTest::addColumn<QStringList>("stored");
        // 9984 is not in the watch list: its entry stays until an alert is changed.
        const QStringList unchanged = kStored;
        const auto row = [](const char *name, const QStringList &fields, const QString &refusal,
                            const QStringList &stored) {
            QTest::newRow(name) << fields[0] << fields[1] << fields[2] << refusal << stored;
        };
        row("all three", {"3000", "2500", "3"}, "",
            {"7203;above=3000;below=2500;change=3", "6758;below=2000"});
        row("as it was", {"2900", "", ""}, "", unchanged);
        row("one", {"", "", "1.5"}, "", {"7203;change=1.5", "6758;below=2000"});
        row("cleared", {"", "", ""}, "", {"6758;below=2000"});
        row("negative", {"", "-1", ""}, "負の値", unchanged);
        row("beyond 100 %", {"", "", "120"}, "±100 % まで", unchanged);
    }
    void entries() {
        QFETCH(QString, above);
        QFETCH(QString, below);
        QFETCH(QString, change);
        QFETCH(QString, refusal);
        QFETCH(QStringList, stored);
        ScratchSettings defaults;
        defaults.setValue(UserDefaults::KEY_CODES, {"7203", "6758"});
        defaults.setValue(UserDefaults::KEY_ALERTS, kStored);
        StockManager manager(defaults, QString(), std::chrono::milliseconds(0));
        AlertBook book(defaults, manager);
        RecordingInterval interval;
        ConfigWindowController controller(manager, interval, nullptr, &book);
        controller.showWindow();
        QVERIFY(QTest::qWaitForWindowActive(controller.window()));
        auto *button = controller.window()->findChild<QPushButton *>("alertButton");
        auto *table = controller.window()->findChild<QTableView *>("tableView");
        QVERIFY(button && table && !button->isEnabled());
        table->setFocus();
        QTest::keyClick(table, Qt::Key_Space); // the first row, current on focus
        QVERIFY(button->isEnabled());

        QTest::keyClick(controller.window(), Qt::Key_A, Qt::AltModifier);
        auto *sheet = controller.window()->findChild<AlertSheet *>("alertSheet");
        QTRY_VERIFY(sheet && sheet->isVisible());
        QCOMPARE(sheet->findChild<QLineEdit *>("aboveField")->text(), QStringLiteral("2900"));
        for (const QString &text : {above, below, change}) {
            auto *field = qobject_cast<QLineEdit *>(QApplication::focusWidget());
            QVERIFY(field);
            field->selectAll();
            QTest::keyClick(field, Qt::Key_Delete);
            typeInto(text);
            QTest::keyClick(field, Qt::Key_Tab);
        }
        QTest::keyClick(sheet, Qt::Key_Return);
        QCOMPARE(sheet->isVisible(), !refusal.isEmpty());
        QVERIFY(sheet->findChild<QLabel *>("errorLabel")->text().contains(refusal));
        QCOMPARE(defaults.value(UserDefaults::KEY_ALERTS), stored);
    }
};

QTEST_MAIN(tst_AlertSheet)
#include "tst_AlertSheet.moc"
