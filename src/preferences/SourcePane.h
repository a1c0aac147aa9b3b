#pragma once

#include <atomic>
#include <memory>

#include <QList>
#include <QWidget>

#include "BackgroundTasks.h"
#include "QuoteSourceList.h"

class StockManager;
namespace Ui {
class SourcePane;
}

// The 取得先 pane: chooses where quotes come from, shows the source's address and the files
// that cannot be used, and reads one code as a trial, off the main thread.
class SourcePane : public QWidget {
    Q_OBJECT
public:
    explicit SourcePane(StockManager &stockManager, QWidget *parent = nullptr);
    ~SourcePane() override;

    // Reads the sources folder afresh and shows the source in use.
    void reload();

signals:
    // From the trial's thread.
    void testFinished(quint64 trial, const QString &report);

protected:
    void showEvent(QShowEvent *event) override;
    // A trial still running is given up once the pane is out of sight.
    void hideEvent(QHideEvent *event) override;

private:
    void choose(int index);
    void showAddress();
    void startTest();
    void showTestReport(quint64 trial, const QString &report);
    void cancelTest();

    StockManager &m_stockManager;
    std::unique_ptr<Ui::SourcePane> m_ui;
    QList<QuoteSourceList::Entry> m_usable; // in the order of the choice box
    std::shared_ptr<std::atomic<bool>> m_testCancelled;
    quint64 m_trial = 0; // the running trial; reports of earlier ones are dropped
    // Declared last, so that its destruction, which waits for a running trial, comes first.
    BackgroundTasks m_tests;
};
