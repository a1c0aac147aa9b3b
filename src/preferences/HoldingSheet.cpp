#include "HoldingSheet.h"

#include "HoldingBook.h"
#include "HoldingInput.h"
#include "ui_HoldingSheet.h"

HoldingSheet::HoldingSheet(HoldingBook &book, QTableView *tableView, QAbstractButton *openButton,
                           QWidget *parent)
    : SecuritySheet(tableView, openButton, parent)
    , m_book(book)
    , m_ui(std::make_unique<Ui::HoldingSheet>()) {
    m_ui->setupUi(this);
    setObjectName(QStringLiteral("holdingSheet"));
    connectButtons(m_ui->buttonBox);
}

HoldingSheet::~HoldingSheet() = default;

void HoldingSheet::showFor(const QString &code) {
    m_ui->securityLabel->setText(QStringLiteral("%1 の保有").arg(code));
    const std::optional<Holding> holding = m_book.holding(code);
    m_ui->sharesField->setText(holding ? QString::number(holding->shares) : QString());
    m_ui->costField->setText(holding ? HoldingInput::costText(holding->costSen) : QString());
    m_ui->errorLabel->clear();
    m_ui->sharesField->setFocus();
}

void HoldingSheet::accept() {
    const HoldingInput::Result shares = HoldingInput::shares(m_ui->sharesField->text());
    const HoldingInput::Result cost = HoldingInput::costSen(m_ui->costField->text());
    if (!shares.ok())
        return refuse(m_ui->errorLabel, m_ui->sharesField, shares.error);
    if (!cost.ok())
        return refuse(m_ui->errorLabel, m_ui->costField, cost.error);
    if (shares.value && !cost.value)
        return refuse(m_ui->errorLabel, m_ui->costField,
                      QStringLiteral("取得単価を入力してください。"));
    if (cost.value && !shares.value)
        return refuse(m_ui->errorLabel, m_ui->sharesField,
                      QStringLiteral("株数を入力してください。"));
    m_book.setHolding(code(), shares.value ? std::optional(Holding{*shares.value, *cost.value})
                                           : std::nullopt);
    QDialog::accept();
}
