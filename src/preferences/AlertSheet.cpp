#include "AlertSheet.h"

#include <QAbstractButton>
#include <QItemSelectionModel>
#include <QTableView>

#include "AlertBook.h"
#include "AlertInput.h"
#include "SelectedCode.h"
#include "ui_AlertSheet.h"

namespace {

QString priceText(const std::optional<int64_t> &price) {
    return price ? QString::number(*price) : QString();
}

} // namespace

AlertSheet::AlertSheet(AlertBook &book, QTableView *tableView, QAbstractButton *openButton,
                       QWidget *parent)
    : QDialog(parent)
    , m_book(book)
    , m_ui(std::make_unique<Ui::AlertSheet>())
    , m_tableView(tableView)
    , m_openButton(openButton) {
    m_ui->setupUi(this);
    setObjectName(QStringLiteral("alertSheet"));
    connect(m_ui->buttonBox, &QDialogButtonBox::accepted, this, &AlertSheet::accept);
    connect(m_ui->buttonBox, &QDialogButtonBox::rejected, this, &AlertSheet::reject);
    connect(m_openButton, &QAbstractButton::clicked, this, &AlertSheet::openForSelection);
    if (m_tableView && m_tableView->selectionModel())
        connect(m_tableView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                &AlertSheet::followSelection);
    followSelection();
}

AlertSheet::~AlertSheet() = default;

void AlertSheet::openForSelection() {
    m_code = selectedCode(m_tableView);
    if (m_code.isEmpty())
        return;
    m_ui->securityLabel->setText(QStringLiteral("%1 のアラート").arg(m_code));
    showRules(m_book.rules(m_code));
    m_ui->errorLabel->clear();
    m_ui->aboveField->setFocus();
    open();
}

void AlertSheet::accept() {
    const AlertInput::Result above = AlertInput::price(m_ui->aboveField->text());
    const AlertInput::Result below = AlertInput::price(m_ui->belowField->text());
    const AlertInput::Result change = AlertInput::percent(m_ui->changeField->text());
    if (!above.ok())
        return refuse(m_ui->aboveField, above.error);
    if (!below.ok())
        return refuse(m_ui->belowField, below.error);
    if (!change.ok())
        return refuse(m_ui->changeField, change.error);
    AlertRules rules;
    if (above.value)
        rules.above = static_cast<int64_t>(*above.value);
    if (below.value)
        rules.below = static_cast<int64_t>(*below.value);
    rules.changePercent = change.value;
    m_book.setRules(m_code, rules);
    QDialog::accept();
}

void AlertSheet::followSelection() {
    if (m_openButton)
        m_openButton->setEnabled(!selectedCode(m_tableView).isEmpty());
}

void AlertSheet::showRules(const AlertRules &rules) {
    m_ui->aboveField->setText(priceText(rules.above));
    m_ui->belowField->setText(priceText(rules.below));
    m_ui->changeField->setText(rules.changePercent ? AlertText::number(*rules.changePercent)
                                                   : QString());
}

void AlertSheet::refuse(QLineEdit *field, const QString &why) {
    m_ui->errorLabel->setText(why);
    field->setFocus();
    field->selectAll();
}
