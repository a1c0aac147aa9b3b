#include "ConfigStockTableController.h"

#include <algorithm>

#include <QAbstractButton>
#include <QDataStream>
#include <QHeaderView>
#include <QIODevice>
#include <QMimeData>
#include <QTableView>

#include "Stock.h"
#include "StockManager.h"

namespace {

constexpr QDataStream::Version kRowsStreamVersion = QDataStream::Qt_6_0;

QByteArray encodeRows(QList<qint64> rows) {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(kRowsStreamVersion);
    out << rows;
    return bytes;
}

QList<qint64> decodeRows(const QByteArray &bytes) {
    QDataStream in(bytes);
    in.setVersion(kRowsStreamVersion);
    QList<qint64> rows;
    in >> rows;
    return in.status() == QDataStream::Ok ? rows : QList<qint64>();
}

// Rows of this flat table have no children: a drop with a valid parent lands on a row.
bool isDropAbove(const QModelIndex &parent) {
    return !parent.isValid();
}

} // namespace

const QStringList &ConfigStockTableController::columnIdentifiers() {
    static const QStringList identifiers{STOCK_TABLE_COLUMN_CODE, STOCK_TABLE_COLUMN_NAME};
    return identifiers;
}

ConfigStockTableController::ConfigStockTableController(StockManager &stockManager,
                                                       QTableView *tableView,
                                                       QAbstractButton *addButton,
                                                       QAbstractButton *removeButton,
                                                       QObject *parent)
    : QAbstractTableModel(parent)
    , m_stockManager(stockManager)
    , m_stocks(stockManager.stocks())
    , m_addButton(addButton)
    , m_removeButton(removeButton) {
    setTableView(tableView);
}

void ConfigStockTableController::setTableView(QTableView *tableView) {
    disconnect(m_selectionWatch);
    m_tableView = tableView;
    if (!tableView)
        return;
    tableView->setModel(this);
    tableView->setSelectionBehavior(QAbstractItemView::SelectRows);
    tableView->setSelectionMode(QAbstractItemView::SingleSelection);
    tableView->setDragDropMode(QAbstractItemView::InternalMove);
    // Between rows, never onto one.
    tableView->setDragDropOverwriteMode(false);
    tableView->setDropIndicatorShown(true);
    // The code as wide as it needs, the name taking the rest.
    tableView->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    tableView->horizontalHeader()->setStretchLastSection(true);
    m_selectionWatch = connect(tableView->selectionModel(), &QItemSelectionModel::selectionChanged,
                               this, &ConfigStockTableController::tableViewSelectionDidChange);
}

int ConfigStockTableController::selectedRow() const {
    if (!m_tableView || !m_tableView->selectionModel())
        return -1;
    const QModelIndexList selected = m_tableView->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.first().row();
}

void ConfigStockTableController::reloadData() {
    const int selected = selectedRow();
    beginResetModel();
    m_stocks = m_stockManager.stocks();
    endResetModel();
    if (selected >= 0)
        restoreSelection(selected);
}

// A reset clears the selection without a signal; a reload every refresh pass must not take the
// user's selection away.
void ConfigStockTableController::restoreSelection(int row) {
    if (row < rowCount() && m_tableView && m_tableView->selectionModel()) {
        m_tableView->selectionModel()->setCurrentIndex(
            index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    tableViewSelectionDidChange();
}

void ConfigStockTableController::tableViewSelectionDidChange() {
    if (m_removeButton)
        m_removeButton->setEnabled(selectedRow() >= 0);
}

std::shared_ptr<Stock> ConfigStockTableController::stockAt(int row) const {
    return row >= 0 && row < m_stocks.size() ? m_stocks.at(row) : nullptr;
}

int ConfigStockTableController::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(m_stocks.size());
}

int ConfigStockTableController::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(columnIdentifiers().size());
}

QVariant ConfigStockTableController::data(const QModelIndex &index, int role) const {
    // An index kept from before a reload may point past the end of the list.
    const std::shared_ptr<Stock> stock = stockAt(index.row());
    if (role != Qt::DisplayRole || !index.isValid() || !stock)
        return {};
    const QString identifier = columnIdentifiers().value(index.column());
    if (identifier == STOCK_TABLE_COLUMN_CODE)
        return stock->code();
    if (identifier == STOCK_TABLE_COLUMN_NAME) {
        const QString name = stock->name();
        return name.isNull() ? QVariant() : QVariant(name);
    }
    return {};
}

QVariant ConfigStockTableController::headerData(int section, Qt::Orientation orientation,
                                                int role) const {
    const QString identifier = columnIdentifiers().value(section);
    if (orientation != Qt::Horizontal || identifier.isNull())
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == ColumnIdentifierRole)
        return identifier;
    if (role == Qt::DisplayRole)
        return identifier == STOCK_TABLE_COLUMN_CODE ? tr("コード") : tr("銘柄名");
    return {};
}

Qt::ItemFlags ConfigStockTableController::flags(const QModelIndex &index) const {
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    // Rows are not drop targets, so the view offers only the gaps between them.
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled |
           Qt::ItemNeverHasChildren;
}

QStringList ConfigStockTableController::mimeTypes() const {
    return {STOCK_TABLE_ROW_TYPE};
}

QMimeData *ConfigStockTableController::mimeData(const QModelIndexList &indexes) const {
    QList<qint64> rows;
    for (const QModelIndex &index : indexes) {
        if (index.isValid() && index.model() == this)
            rows.append(index.row());
    }
    if (rows.isEmpty())
        return nullptr;
    auto *data = new QMimeData;
    data->setData(STOCK_TABLE_ROW_TYPE, encodeRows(rows));
    return data;
}

Qt::DropActions ConfigStockTableController::supportedDragActions() const {
    return Qt::MoveAction;
}

Qt::DropActions ConfigStockTableController::supportedDropActions() const {
    return Qt::MoveAction;
}

bool ConfigStockTableController::canDropMimeData(const QMimeData *, Qt::DropAction, int, int,
                                                 const QModelIndex &parent) const {
    return isDropAbove(parent);
}

bool ConfigStockTableController::dropMimeData(const QMimeData *data, Qt::DropAction, int row, int,
                                              const QModelIndex &parent) {
    const std::optional<qsizetype> from = firstDraggedRow(data);
    if (!from || !isDropAbove(parent))
        return false;
    // Row -1 without a parent is a drop below the last row.
    const qsizetype dropRow = row < 0 ? m_stocks.size() : row;
    // The drop row counts positions in the list before the move, the watch list's target
    // index positions in the list without the moved stock.
    const qsizetype to = *from < dropRow ? dropRow - 1 : dropRow;
    m_stockManager.translateStockFromIndex(*from, to);
    // The moved security stays selected: the reload that shows the move keeps the selected row.
    restoreSelection(int(to));
    return true;
}

std::optional<qsizetype> ConfigStockTableController::firstDraggedRow(const QMimeData *data) {
    if (!data || !data->hasFormat(STOCK_TABLE_ROW_TYPE))
        return std::nullopt;
    const QList<qint64> rows = decodeRows(data->data(STOCK_TABLE_ROW_TYPE));
    if (rows.isEmpty())
        return std::nullopt;
    return *std::min_element(rows.cbegin(), rows.cend());
}
