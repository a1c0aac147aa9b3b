#pragma once

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>

#include <QAction>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include "ConfigStockTableController.h"
#include "ConfigWindowController.h"
#include "IntervalSetting.h"
#include "StockManager.h"
#include "UserDefaults.h"

inline constexpr int kFetchTimeoutMs = 15000;

// Clamps and keeps like the ticker controller, and notes every value it is handed.
class RecordingInterval : public IntervalSetting {
public:
    double intervalSecond() const override { return stored; }
    void setIntervalSecond(double minutes) override {
        received.append(minutes);
        stored = std::max(minutes, 5.0);
    }

    double stored = 10.0;
    QList<double> received;
};

// Announces changes as the application does: a queued signal takes the table reload to the
// main thread, where it is dropped once this relay is gone.
class QueuedReload : public QObject, public StockManagerDelegate {
    Q_OBJECT
public:
    explicit QueuedReload(std::function<void()> reload) {
        connect(this, &QueuedReload::changed, this, std::move(reload), Qt::QueuedConnection);
    }
    void updatedStocks() override { emit changed(); }

signals:
    void changed();
};

inline QStringList codesOf(const StockManager &manager) {
    QStringList codes;
    for (const auto &stock : manager.stocks())
        codes.append(stock->code());
    return codes;
}

// A preferences window over a throw-away settings file and a watch list of the given codes.
struct Preferences {
    explicit Preferences(const QStringList &codes, const QString &baseURL = QString()) {
        defaults.setValue(UserDefaults::KEY_CODES, codes);
        manager = std::make_unique<StockManager>(defaults, baseURL, std::chrono::milliseconds(0));
        manager->setDelegate(delegate);
        controller = std::make_unique<ConfigWindowController>(*manager, interval);
    }

    void reload() {
        if (!controller)
            return; // queued before the window controller went away
        if (ConfigStockTableController *table = controller->stockTableController())
            table->reloadData();
        events.append(
            QStringLiteral("reload %1").arg(outlet<QTableView>("tableView")->model()->rowCount()));
    }

    QAction *toolbarItem(const QString &name) const { return outlet<QAction>(name); }

    // A control, pane or sheet of the window by its object name; null before the window is built.
    template <typename T> T *outlet(const QString &name) const {
        QMainWindow *window = controller->window();
        return window ? window->findChild<T *>(name) : nullptr;
    }

    // Opens the input sheet and types the code, key by key.
    void typeCode(const QString &code) const {
        outlet<QPushButton>("addButton")->click();
        typeText(outlet<QLineEdit>("inputSheetCodeField"), code);
    }

    // One key press per character; QTest::keyClicks takes Latin-1 only.
    static void typeText(QWidget *widget, const QString &text) {
        for (const QChar c : text) {
            if (c.unicode() < 0x80)
                QTest::keyClick(widget, c.toLatin1());
            else
                QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c),
                                    Qt::NoModifier);
        }
    }

    void noteSheetClosing() {
        QObject::connect(outlet<QDialog>("loadingWindow"), &QDialog::finished, [this] {
            events.append(QStringLiteral("closed %1")
                              .arg(outlet<QTableView>("tableView")->model()->rowCount()));
        });
    }

    // Shows the window, records the loading sheet's closing, and asks to add the code.
    void submitCode(const QString &code) {
        controller->showWindow();
        noteSheetClosing();
        typeCode(code);
        outlet<QPushButton>("inputSheetOKButton")->click();
    }

    QTemporaryDir dir;
    UserDefaults defaults{dir.filePath(QStringLiteral("kabu-ticker.conf"))};
    std::unique_ptr<StockManager> manager;
    RecordingInterval interval;
    std::shared_ptr<QueuedReload> delegate = std::make_shared<QueuedReload>([this] { reload(); });
    QStringList events;
    std::unique_ptr<ConfigWindowController> controller;
};

inline bool writeDesktopFile(const QString &path, const QString &exec) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write("[Desktop Entry]\nType=Application\nName=Test\nExec=" + exec.toUtf8() + "\n");
    return true;
}
