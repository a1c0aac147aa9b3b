#pragma once

#include <memory>

#include <QObject>
#include <QPointer>
#include <QString>

#include "BackgroundTasks.h"

class QAbstractButton;
class QCheckBox;
class QDialog;
class QLabel;
class QLineEdit;
class QMainWindow;
class QProgressBar;
class QPropertyAnimation;
class QPushButton;
class QSlider;
class QTableView;
class QWidget;
class AlertBook;
class ConfigStockTableController;
class IntervalSetting;
class SourcePane;
class StockManager;
namespace Ui {
class ConfigWindowController;
class InputSheet;
class LoadingSheet;
} // namespace Ui

// The preferences window: general, information and source panes behind a toolbar, the
// refresh-interval slider, the add and remove flows with their sheets, and the launch-at-login
// check box.
class ConfigWindowController : public QObject {
    Q_OBJECT
public:
    // Without an alert book the window offers no alerts.
    ConfigWindowController(StockManager &stockManager, IntervalSetting &intervalSetting,
                           AlertBook *alertBook = nullptr, QObject *parent = nullptr);
    ~ConfigWindowController() override;

    // Builds the window on the first call, then brings it to the front.
    void showWindow();
    // Null until the first showWindow, like every outlet below.
    QMainWindow *window() const;

    QWidget *generalView() const;
    QWidget *infoView() const;
    ConfigStockTableController *stockTableController() const;
    QTableView *tableView() const;
    QPushButton *addButton() const;
    QPushButton *removeButton() const;
    QSlider *intervalSlider() const;
    QLabel *intervalLabel() const;
    QCheckBox *launchButton() const;
    QLabel *bundleName() const;
    QLabel *bundleVersion() const;
    QDialog *inputSheet() const;
    QLineEdit *inputSheetCodeField() const;
    QPushButton *inputSheetOKButton() const;
    QPushButton *inputSheetCancelButton() const;
    QDialog *loadingWindow() const;
    QProgressBar *loadingIndicator() const;
    QPushButton *loadingCancelButton() const;

    // Shows the pane as the window's content and fits the window to it, animated, keeping the
    // window's top-left corner.
    void resizeWindowWithView(QWidget *pane);
    // The running resize, if any, jumps to its end.
    void finishResize();

    bool isEnableLoginItem() const;
    void enableLoginItem() const;
    void disableLoginItem() const;

    // What the code field's last edit left in it, for the whole process.
    static QString rememberedCodeText();

signals:
    // From the add task's thread, once addStock has returned.
    void addTaskFinished();

public slots:
    void inputSheetDidEnd(int returnCode);
    void loadingSheetDidEnd(int returnCode);
    void controlTextDidChange();
    void actionGeneralView();
    void actionInfoView();
    void actionSourceView();
    void actionAddStock();
    void actionRemoveStock();
    void actionIntervalSlider();
    void actionLoginItem();
    void actionInputSheetOK();
    void actionInputSheetCancel();
    void actionLoadingCancel();

private:
    void loadWindow();
    void loadSheets();
    void connectActions();
    void awakeFromNib();
    void showIntervalMinutes();
    void startAddTask(const QString &code);
    void finishLoading();
    void endLoadingSheet();

    static inline QString s_rememberedCodeText;

    StockManager &m_stockManager;
    IntervalSetting &m_intervalSetting;
    AlertBook *const m_alertBook;
    std::unique_ptr<Ui::ConfigWindowController> m_ui;
    std::unique_ptr<Ui::InputSheet> m_inputUi;
    std::unique_ptr<Ui::LoadingSheet> m_loadingUi;
    std::unique_ptr<QMainWindow> m_window;
    // Keeps the pane that is not shown; a window drops its old content when given a new one.
    std::unique_ptr<QWidget> m_paneShelf;
    // Owned by m_window.
    ConfigStockTableController *m_stockTableController = nullptr;
    SourcePane *m_sourcePane = nullptr; // owned by m_paneShelf or, while shown, by m_window
    QDialog *m_inputSheet = nullptr;
    QDialog *m_loadingWindow = nullptr;
    QPointer<QPropertyAnimation> m_resize;
    // Declared last, so that its destruction, which waits for running add tasks, comes first.
    BackgroundTasks m_addTasks;
};
