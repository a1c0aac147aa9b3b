#pragma once

#include <memory>

#include <QDialog>
#include <QPointer>
#include <QString>

class QAbstractButton;
class QLineEdit;
class QTableView;
class AlertBook;
struct AlertRules;
namespace Ui {
class AlertSheet;
}

// The sheet that sets the alert rules of the security selected in the watch-list table. Its
// button under the table is enabled while a row is selected; thresholds that would be refused keep
// the sheet open with a message saying why, and nothing is saved until all three are accepted.
class AlertSheet : public QDialog {
    Q_OBJECT
public:
    AlertSheet(AlertBook &book, QTableView *tableView, QAbstractButton *openButton,
               QWidget *parent);
    ~AlertSheet() override;

    // For the selected row's security; does nothing while none is selected.
    void openForSelection();
    void accept() override;

private:
    void followSelection();
    void showRules(const AlertRules &rules);
    void refuse(QLineEdit *field, const QString &why);

    AlertBook &m_book;
    std::unique_ptr<Ui::AlertSheet> m_ui;
    QPointer<QTableView> m_tableView;
    QPointer<QAbstractButton> m_openButton;
    QString m_code; // the security the open sheet is for
};
