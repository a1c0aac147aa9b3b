#pragma once

#include <QString>

class QTableView;

// The code of the watch-list table's selected row, which the sheets of a security act on; empty
// while none is selected.
QString selectedCode(const QTableView *tableView);
