#pragma once

#include <memory>

#include "SecuritySheet.h"

class AlertBook;
struct AlertRules;
namespace Ui {
class AlertSheet;
}

// The sheet that sets the alert rules of the security selected in the watch-list table; nothing
// is saved until all three thresholds are accepted.
class AlertSheet : public SecuritySheet {
    Q_OBJECT
public:
    AlertSheet(AlertBook &book, QTableView *tableView, QAbstractButton *openButton,
               QWidget *parent);
    ~AlertSheet() override;

    void accept() override;

private:
    void showFor(const QString &code) override;
    void showRules(const AlertRules &rules);

    AlertBook &m_book;
    std::unique_ptr<Ui::AlertSheet> m_ui;
};
