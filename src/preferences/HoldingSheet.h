#pragma once

#include <memory>

#include "SecuritySheet.h"

class HoldingBook;
namespace Ui {
class HoldingSheet;
}

// The sheet that sets the holding of the security selected in the watch-list table: 株数 and
// 取得単価, both or neither; nothing is saved until both are accepted.
class HoldingSheet : public SecuritySheet {
    Q_OBJECT
public:
    HoldingSheet(HoldingBook &book, QTableView *tableView, QAbstractButton *openButton,
                 QWidget *parent);
    ~HoldingSheet() override;

    void accept() override;

private:
    void showFor(const QString &code) override;

    HoldingBook &m_book;
    std::unique_ptr<Ui::HoldingSheet> m_ui;
};
