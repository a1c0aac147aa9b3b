#pragma once

#include <memory>
#include <optional>

#include <QAbstractButton>
#include <QAbstractTableModel>
#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTableView>

class Stock;
class StockManager;

// The watch-list table's model: code and name of each stock in list order, rows reordered by
// dragging, and the remove button enabled exactly while a row is selected.
class ConfigStockTableController : public QAbstractTableModel {
    Q_OBJECT
public:
    // The type dragged rows travel under; only this table writes and reads it.
    static inline const QString STOCK_TABLE_ROW_TYPE = QStringLiteral("STOCK_TABLE_ROW_TYPE");
    static inline const QString STOCK_TABLE_COLUMN_CODE = QStringLiteral("STOCK_TABLE_COLUMN_CODE");
    static inline const QString STOCK_TABLE_COLUMN_NAME = QStringLiteral("STOCK_TABLE_COLUMN_NAME");
    // The columns' identifiers in column order, also given as header data under this role.
    static const QStringList &columnIdentifiers();
    static constexpr int ColumnIdentifierRole = Qt::UserRole;

    // Shows the watch list as it is now; null references are filled in later, or never.
    explicit ConfigStockTableController(StockManager &stockManager, QTableView *tableView = nullptr,
                                        QAbstractButton *addButton = nullptr,
                                        QAbstractButton *removeButton = nullptr,
                                        QObject *parent = nullptr);

    QTableView *tableView() const { return m_tableView; }
    // Makes this the table's model, with single-row selection and drops between rows.
    void setTableView(QTableView *tableView);
    // The add button is the window controller's business; it is only kept here.
    QAbstractButton *addButton() const { return m_addButton; }
    void setAddButton(QAbstractButton *addButton) { m_addButton = addButton; }
    QAbstractButton *removeButton() const { return m_removeButton; }
    // Left as it is until the selection next changes.
    void setRemoveButton(QAbstractButton *removeButton) { m_removeButton = removeButton; }

    // The table's selected row, -1 when none is.
    int selectedRow() const;
    // Shows the watch list as it is now. The selected row stays selected while it exists.
    void reloadData();

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QModelIndexList &indexes) const override;
    Qt::DropActions supportedDragActions() const override;
    Qt::DropActions supportedDropActions() const override;
    // Only between rows: a drop onto a row is refused.
    bool canDropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                         const QModelIndex &parent) const override;
    // Hands the move of the lowest dragged row to the watch list, which announces the change;
    // the table shows it at the next reload.
    bool dropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                      const QModelIndex &parent) override;

private:
    void tableViewSelectionDidChange();
    void restoreSelection(int row);
    std::shared_ptr<Stock> stockAt(int row) const;
    static std::optional<qsizetype> firstDraggedRow(const QMimeData *data);

    StockManager &m_stockManager;
    QList<std::shared_ptr<Stock>> m_stocks; // the list as of the last reload
    QPointer<QTableView> m_tableView;
    QPointer<QAbstractButton> m_addButton;
    QPointer<QAbstractButton> m_removeButton;
    QMetaObject::Connection m_selectionWatch;
};
