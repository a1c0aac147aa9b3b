#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>

class QAbstractButton;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QTableView;

// A sheet for the security selected in the watch-list table. Its button under the table is
// enabled while a row is selected and opens it for that row's security; a value the sheet refuses
// keeps it open with a message saying why.
class SecuritySheet : public QDialog {
    Q_OBJECT
public:
    SecuritySheet(QTableView *tableView, QAbstractButton *openButton, QWidget *parent);

    // For the selected row's security; does nothing while none is selected.
    void openForSelection();

protected:
    // Once the sheet's own interface is set up.
    void connectButtons(QDialogButtonBox *buttonBox);
    // Fills the fields for the security before the sheet opens.
    virtual void showFor(const QString &code) = 0;
    static void refuse(QLabel *errorLabel, QLineEdit *field, const QString &why);
    // The security the open sheet is for.
    const QString &code() const { return m_code; }

private:
    void followSelection();

    QPointer<QTableView> m_tableView;
    QPointer<QAbstractButton> m_openButton;
    QString m_code;
};
