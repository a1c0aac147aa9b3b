#include "SelectedCode.h"

#include <QItemSelectionModel>
#include <QTableView>

QString selectedCode(const QTableView *tableView) {
    if (!tableView || !tableView->selectionModel())
        return QString();
    const QModelIndexList rows = tableView->selectionModel()->selectedRows(0);
    return rows.isEmpty() ? QString() : rows.first().data().toString();
}
