#include "SecuritySheet.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>

namespace {

QString selectedCode(const QTableView *tableView) {
    if (!tableView || !tableView->selectionModel())
        return QString();
    const QModelIndexList rows = tableView->selectionModel()->selectedRows(0);
    return rows.isEmpty() ? QString() : rows.first().data().toString();
}

} // namespace

SecuritySheet::SecuritySheet(QTableView *tableView, QAbstractButton *openButton, QWidget *parent)
    : QDialog(parent)
    , m_tableView(tableView)
    , m_openButton(openButton) {
    connect(m_openButton, &QAbstractButton::clicked, this, &SecuritySheet::openForSelection);
    if (m_tableView && m_tableView->selectionModel())
        connect(m_tableView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                &SecuritySheet::followSelection);
    followSelection();
}

void SecuritySheet::openForSelection() {
    m_code = selectedCode(m_tableView);
    if (m_code.isEmpty())
        return;
    showFor(m_code);
    open();
}

void SecuritySheet::connectButtons(QDialogButtonBox *buttonBox) {
    connect(buttonBox, &QDialogButtonBox::accepted, this, &SecuritySheet::accept);
    connect(buttonBox, &QDialogButtonBox::rejected, this, &SecuritySheet::reject);
}

void SecuritySheet::refuse(QLabel *errorLabel, QLineEdit *field, const QString &why) {
    errorLabel->setText(why);
    field->setFocus();
    field->selectAll();
}

void SecuritySheet::followSelection() {
    if (m_openButton)
        m_openButton->setEnabled(!selectedCode(m_tableView).isEmpty());
}
