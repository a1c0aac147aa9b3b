#include <atomic>
#include <memory>

#include <QMimeData>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

#include "ConfigStockTableController.h"
#include "Stock.h"
#include "StockManager.h"
#include "UserDefaults.h"

namespace {

using Table = ConfigStockTableController;

const QStringList kFive{"1001", "1002", "1003", "1004", "1005"};

class CountingDelegate : public StockManagerDelegate {
public:
    void updatedStocks() override { ++calls; }
    std::atomic<int> calls = 0;
};

// A quote page as the site serves it, enough for the record to take its name.
QByteArray quotePage(const QString &code, const QString &name) {
    QString figures;
    for (int i = 0; i < 5; ++i)
        figures += QStringLiteral("<div><dl><dd><strong>1,000</strong></dd></dl></div>");
    return QStringLiteral("<html><head><title>%1\u3010%2\u3011detail</title></head><body>"
                          "<table class=\"stocksTable\"><tr><td>%2</td><td>1,234</td></tr></table>"
                          "<div class=\"innerDate\">%3</div></body></html>")
        .arg(name, code, figures)
        .toUtf8();
}

// A watch list over a throw-away settings file holding the codes, never fetched, and the table
// over it.
struct WatchList {
    explicit WatchList(const QStringList &codes) {
        defaults.setValue(UserDefaults::KEY_CODES, codes);
        manager = std::make_unique<StockManager>(defaults, QString());
        manager->setDelegate(delegate);
        table = std::make_unique<Table>(*manager);
    }
    QStringList codes() const {
        QStringList codes;
        for (const auto &stock : manager->stocks())
            codes.append(stock->code());
        return codes;
    }
    QStringList shownCodes() const {
        QStringList codes;
        for (int row = 0; row < table->rowCount(); ++row)
            codes.append(table->index(row, 0).data().toString());
        return codes;
    }
    // What a drag of these rows carries.
    std::unique_ptr<QMimeData> dragged(const QList<int> &rows) const {
        QModelIndexList indexes;
        for (int row : rows)
            indexes << table->index(row, 0) << table->index(row, 1);
        return std::unique_ptr<QMimeData>(table->mimeData(indexes));
    }

    QTemporaryDir dir;
    UserDefaults defaults{dir.filePath(QStringLiteral("kabu-ticker.conf"))};
    std::shared_ptr<CountingDelegate> delegate = std::make_shared<CountingDelegate>();
    std::unique_ptr<StockManager> manager;
    std::unique_ptr<Table> table;
};

// The table as the preferences window holds it: a view, and a remove button that starts the
// way the window's description leaves it.
struct Window {
    explicit Window(const QStringList &codes, bool removeEnabled)
        : list(codes) {
        remove->setEnabled(removeEnabled);
        list.table->setTableView(view.get());
        list.table->setRemoveButton(remove.get());
    }
    void select(int row) {
        view->selectionModel()->select(list.table->index(row, 0),
                                       QItemSelectionModel::ClearAndSelect |
                                           QItemSelectionModel::Rows);
    }
    std::unique_ptr<QTableView> view = std::make_unique<QTableView>();
    std::unique_ptr<QPushButton> remove = std::make_unique<QPushButton>();
    WatchList list;
};

} // namespace

class tst_ConfigStockTableController : public QObject {
    Q_OBJECT
private slots:
    void columnsAreToldApartByIdentifier() {
        WatchList list({"7203", "6758"});
        QVERIFY(list.manager->stocks().at(1)->updateWithPage(quotePage("6758", "ソニーG")));
        list.table->reloadData();

        QCOMPARE(Table::columnIdentifiers(),
                 QStringList({"STOCK_TABLE_COLUMN_CODE", "STOCK_TABLE_COLUMN_NAME"}));
        QCOMPARE(list.table->columnCount(), 2);
        for (int column = 0; column < 2; ++column) {
            QCOMPARE(list.table->headerData(column, Qt::Horizontal, Table::ColumnIdentifierRole),
                     QVariant(Table::columnIdentifiers().at(column)));
            QVERIFY(!list.table->headerData(column, Qt::Horizontal).toString().isEmpty());
        }
        QCOMPARE(list.table->index(0, 0).data(), QVariant(QStringLiteral("7203")));
        QCOMPARE(list.table->index(1, 0).data(), QVariant(QStringLiteral("6758")));
        QCOMPARE(list.table->index(1, 1).data(), QVariant(QStringLiteral("ソニーG")));
        // Not read yet: the code, and an empty name.
        QVERIFY(!list.table->index(0, 1).data().isValid());
        QVERIFY(!list.table->index(0, 0).data(Qt::DecorationRole).isValid());
    }

    void draggedRowsTravelUnderTheRowType() {
        WatchList list(kFive);
        QCOMPARE(list.table->mimeTypes(), QStringList{"STOCK_TABLE_ROW_TYPE"});
        const std::unique_ptr<QMimeData> data = list.dragged({2});
        QVERIFY(data);
        QCOMPARE(data->formats(), QStringList{"STOCK_TABLE_ROW_TYPE"});
        QVERIFY(!data->data(QStringLiteral("STOCK_TABLE_ROW_TYPE")).isEmpty());
        QVERIFY(!list.dragged({}));
    }

    // A drop row counts positions before the move; the watch list is told the stock's index
    // after it, and saves and announces even a move that changes nothing.
    void dropMovesTheLowestDraggedRow_data() {
        QTest::addColumn<QList<int>>("dragged");
        QTest::addColumn<int>("dropRow");
        QTest::addColumn<QStringList>("order");
        QTest::newRow("0 above 3")
            << QList<int>{0} << 3 << QStringList{"1002", "1003", "1001", "1004", "1005"};
        QTest::newRow("3 above 1")
            << QList<int>{3} << 1 << QStringList{"1001", "1004", "1002", "1003", "1005"};
        QTest::newRow("1 above the end")
            << QList<int>{1} << 5 << QStringList{"1001", "1003", "1004", "1005", "1002"};
        QTest::newRow("1 below the last row")
            << QList<int>{1} << -1 << QStringList{"1001", "1003", "1004", "1005", "1002"};
        QTest::newRow("just above itself") << QList<int>{2} << 2 << kFive;
        QTest::newRow("just below itself") << QList<int>{2} << 3 << kFive;
        QTest::newRow("several rows")
            << QList<int>{3, 1} << 5 << QStringList{"1001", "1003", "1004", "1005", "1002"};
    }
    void dropMovesTheLowestDraggedRow() {
        QFETCH(QList<int>, dragged);
        QFETCH(int, dropRow);
        QFETCH(QStringList, order);
        WatchList list(kFive);
        const std::unique_ptr<QMimeData> data = list.dragged(dragged);

        QVERIFY(list.table->canDropMimeData(data.get(), Qt::MoveAction, dropRow, 0, {}));
        QVERIFY(list.table->dropMimeData(data.get(), Qt::MoveAction, dropRow, 0, {}));
        QCOMPARE(list.codes(), order);
        QCOMPARE(list.delegate->calls.load(), 1);
        QCOMPARE(list.defaults.value(UserDefaults::KEY_CODES), order);
        // The table follows at the reload the announcement leads to, not before.
        QCOMPARE(list.shownCodes(), kFive);
        list.table->reloadData();
        QCOMPARE(list.shownCodes(), order);
    }

    // After the reload that shows a move, the moved security is the selected one, wherever the
    // selection was before the drag.
    void movedRowStaysSelected_data() {
        QTest::addColumn<int>("selected");
        QTest::addColumn<int>("draggedRow");
        QTest::addColumn<int>("dropRow");
        QTest::addColumn<int>("selectedAfter");
        QTest::newRow("down") << 0 << 0 << 3 << 2;
        QTest::newRow("up") << 3 << 3 << 1 << 1;
        QTest::newRow("below the last row") << 1 << 1 << -1 << 4;
        QTest::newRow("another row was selected") << 4 << 0 << 2 << 1;
    }
    void movedRowStaysSelected() {
        QFETCH(int, selected);
        QFETCH(int, draggedRow);
        QFETCH(int, dropRow);
        QFETCH(int, selectedAfter);
        Window window(kFive, false);
        window.select(selected);
        const std::unique_ptr<QMimeData> data = window.list.dragged({draggedRow});
        QVERIFY(window.list.table->dropMimeData(data.get(), Qt::MoveAction, dropRow, 0, {}));
        window.list.table->reloadData();
        QCOMPARE(window.list.table->selectedRow(), selectedAfter);
        QCOMPARE(window.list.shownCodes().at(selectedAfter), kFive.at(draggedRow));
        QVERIFY(window.remove->isEnabled());
    }

    void dropOntoARowIsRefused() {
        WatchList list(kFive);
        const std::unique_ptr<QMimeData> data = list.dragged({0});
        const QModelIndex onto = list.table->index(3, 0);
        QVERIFY(!list.table->canDropMimeData(data.get(), Qt::MoveAction, -1, -1, onto));
        QVERIFY(!list.table->dropMimeData(data.get(), Qt::MoveAction, -1, -1, onto));
        QVERIFY(!list.table->dropMimeData(data.get(), Qt::MoveAction, 0, 0, onto));
        QCOMPARE(list.codes(), kFive);
        QCOMPARE(list.delegate->calls.load(), 0);
        // Only the gaps between rows take drops, so a view never offers a row as the target.
        QVERIFY(!(list.table->flags(onto) & Qt::ItemIsDropEnabled));
        QVERIFY(list.table->flags(onto) & Qt::ItemIsDragEnabled);
        QVERIFY(list.table->flags(QModelIndex()) & Qt::ItemIsDropEnabled);
    }

    void dropWithoutDraggedRowsChangesNothing_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("text") << QStringLiteral("text/plain") << QByteArray("0");
        QTest::newRow("garbage") << QStringLiteral("STOCK_TABLE_ROW_TYPE")
                                 << QByteArray("\xff\x01");
        QTest::newRow("empty") << QStringLiteral("STOCK_TABLE_ROW_TYPE") << QByteArray();
    }
    void dropWithoutDraggedRowsChangesNothing() {
        QFETCH(QString, format);
        QFETCH(QByteArray, bytes);
        WatchList list(kFive);
        QMimeData data;
        data.setData(format, bytes);
        QVERIFY(!list.table->dropMimeData(&data, Qt::MoveAction, 3, 0, {}));
        QCOMPARE(list.codes(), kFive);
        QCOMPARE(list.delegate->calls.load(), 0);
    }

    // Between reloads the table shows the list as it was, however the list changes meanwhile.
    void showsTheListAsOfTheLastReload() {
        WatchList list(kFive);
        const QModelIndex last = list.table->index(4, 0);
        QSignalSpy resets(list.table.get(), &QAbstractItemModel::modelReset);
        list.manager->removeStock(QStringLiteral("1005"));
        list.manager->removeStock(QStringLiteral("1001"));
        QCOMPARE(list.shownCodes(), kFive);

        list.table->reloadData();
        QCOMPARE(resets.size(), 1);
        QCOMPARE(list.shownCodes(), QStringList({"1002", "1003", "1004"}));
        // An index kept from before the reload now points past the end of the list.
        QVERIFY(!list.table->data(last).isValid());
        QVERIFY(!list.table->index(3, 0).data().isValid());
    }

    void removeButtonFollowsTheSelection() {
        Window window(kFive, true);
        QCOMPARE(window.view->model(), window.list.table.get());
        QVERIFY(window.remove->isEnabled()); // as the window left it, until the selection moves

        window.select(1);
        QCOMPARE(window.list.table->selectedRow(), 1);
        QVERIFY(window.remove->isEnabled());
        window.view->clearSelection();
        QCOMPARE(window.list.table->selectedRow(), -1);
        QVERIFY(!window.remove->isEnabled());
        window.select(4);
        QVERIFY(window.remove->isEnabled());
    }

    // Reloads come after every refresh pass; they keep a selected row that still exists.
    void reloadKeepsTheSelectedRowWhileItExists() {
        Window window(kFive, false);
        window.select(3);
        window.list.table->reloadData();
        QCOMPARE(window.list.table->selectedRow(), 3);
        QVERIFY(window.remove->isEnabled());

        window.list.manager->removeStock(QStringLiteral("1005"));
        window.list.manager->removeStock(QStringLiteral("1004"));
        window.list.table->reloadData();
        QCOMPARE(window.list.table->selectedRow(), -1);
        QVERIFY(!window.remove->isEnabled());
    }
};

QTEST_MAIN(tst_ConfigStockTableController)
#include "tst_ConfigStockTableController.moc"
