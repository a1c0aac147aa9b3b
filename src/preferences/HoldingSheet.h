#pragma once

#include <memory>

#include <QDialog>
#include <QPointer>
#include <QString>

class QAbstractButton;
class QLineEdit;
class QTableView;
class HoldingBook;
namespace Ui {
class HoldingSheet;
}

// The sheet that sets the holding of the security selected in the watch-list table: 株数 and
// 取得単価, both or neither. Its button under the table is enabled while a row is selected; a
// value that would be refused keeps the sheet open with a message saying why, and nothing is
// saved until both are accepted.
class HoldingSheet : public QDialog {
    Q_OBJECT
public:
    HoldingSheet(HoldingBook &book, QTableView *tableView, QAbstractButton *openButton,
                 QWidget *parent);
    ~HoldingSheet() override;

    // For the selected row's security; does nothing while none is selected.
    void openForSelection();
    void accept() override;

private:
    void followSelection();
    void refuse(QLineEdit *field, const QString &why);

    HoldingBook &m_book;
    std::unique_ptr<Ui::HoldingSheet> m_ui;
    QPointer<QTableView> m_tableView;
    QPointer<QAbstractButton> m_openButton;
    QString m_code; // the security the open sheet is for
};
