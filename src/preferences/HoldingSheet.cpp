#include "HoldingSheet.h"

#include <QAbstractButton>
#include <QItemSelectionModel>
#include <QTableView>

#include "HoldingBook.h"
#include "HoldingInput.h"
#include "SelectedCode.h"
#include "ui_HoldingSheet.h"

HoldingSheet::HoldingSheet(HoldingBook &book, QTableView *tableView, QAbstractButton *openButton,
                           QWidget *parent)
    : QDialog(parent)
    , m_book(book)
    , m_ui(std::make_unique<Ui::HoldingSheet>())
    , m_tableView(tableView)
    , m_openButton(openButton) {
    m_ui->setupUi(this);
    setObjectName(QStringLiteral("holdingSheet"));
    connect(m_ui->buttonBox, &QDialogButtonBox::accepted, this, &HoldingSheet::accept);
    connect(m_ui->buttonBox, &QDialogButtonBox::rejected, this, &HoldingSheet::reject);
    connect(m_openButton, &QAbstractButton::clicked, this, &HoldingSheet::openForSelection);
    if (m_tableView && m_tableView->selectionModel())
        connect(m_tableView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                &HoldingSheet::followSelection);
    followSelection();
}

HoldingSheet::~HoldingSheet() = default;

void HoldingSheet::openForSelection() {
    m_code = selectedCode(m_tableView);
    if (m_code.isEmpty())
        return;
    m_ui->securityLabel->setText(QStringLiteral("%1 の保有").arg(m_code));
    const std::optional<Holding> holding = m_book.holding(m_code);
    m_ui->sharesField->setText(holding ? QString::number(holding->shares) : QString());
    m_ui->costField->setText(holding ? HoldingInput::costText(holding->costSen) : QString());
    m_ui->errorLabel->clear();
    m_ui->sharesField->setFocus();
    open();
}

void HoldingSheet::accept() {
    const HoldingInput::Result shares = HoldingInput::shares(m_ui->sharesField->text());
    const HoldingInput::Result cost = HoldingInput::costSen(m_ui->costField->text());
    if (!shares.ok())
        return refuse(m_ui->sharesField, shares.error);
    if (!cost.ok())
        return refuse(m_ui->costField, cost.error);
    if (shares.value && !cost.value)
        return refuse(m_ui->costField, QStringLiteral("取得単価を入力してください。"));
    if (cost.value && !shares.value)
        return refuse(m_ui->sharesField, QStringLiteral("株数を入力してください。"));
    m_book.setHolding(m_code, shares.value ? std::optional(Holding{*shares.value, *cost.value})
                                           : std::nullopt);
    QDialog::accept();
}

void HoldingSheet::followSelection() {
    if (m_openButton)
        m_openButton->setEnabled(!selectedCode(m_tableView).isEmpty());
}

void HoldingSheet::refuse(QLineEdit *field, const QString &why) {
    m_ui->errorLabel->setText(why);
    field->setFocus();
    field->selectAll();
}
