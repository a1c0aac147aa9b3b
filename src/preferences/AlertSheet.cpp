#include "AlertSheet.h"

#include "AlertBook.h"
#include "AlertInput.h"
#include "ui_AlertSheet.h"

namespace {

QString priceText(const std::optional<int64_t> &price) {
    return price ? QString::number(*price) : QString();
}

} // namespace

AlertSheet::AlertSheet(AlertBook &book, QTableView *tableView, QAbstractButton *openButton,
                       QWidget *parent)
    : SecuritySheet(tableView, openButton, parent)
    , m_book(book)
    , m_ui(std::make_unique<Ui::AlertSheet>()) {
    m_ui->setupUi(this);
    setObjectName(QStringLiteral("alertSheet"));
    connectButtons(m_ui->buttonBox);
}

AlertSheet::~AlertSheet() = default;

void AlertSheet::showFor(const QString &code) {
    m_ui->securityLabel->setText(QStringLiteral("%1 のアラート").arg(code));
    showRules(m_book.rules(code));
    m_ui->errorLabel->clear();
    m_ui->aboveField->setFocus();
}

void AlertSheet::accept() {
    const AlertInput::Result above = AlertInput::price(m_ui->aboveField->text());
    const AlertInput::Result below = AlertInput::price(m_ui->belowField->text());
    const AlertInput::Result change = AlertInput::percent(m_ui->changeField->text());
    if (!above.ok())
        return refuse(m_ui->errorLabel, m_ui->aboveField, above.error);
    if (!below.ok())
        return refuse(m_ui->errorLabel, m_ui->belowField, below.error);
    if (!change.ok())
        return refuse(m_ui->errorLabel, m_ui->changeField, change.error);
    AlertRules rules;
    if (above.value)
        rules.above = static_cast<int64_t>(*above.value);
    if (below.value)
        rules.below = static_cast<int64_t>(*below.value);
    rules.changePercent = change.value;
    m_book.setRules(code(), rules);
    QDialog::accept();
}

void AlertSheet::showRules(const AlertRules &rules) {
    m_ui->aboveField->setText(priceText(rules.above));
    m_ui->belowField->setText(priceText(rules.below));
    m_ui->changeField->setText(rules.changePercent ? AlertText::number(*rules.changePercent)
                                                   : QString());
}
