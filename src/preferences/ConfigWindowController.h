#pragma once

#include <memory>

#include <QObject>
#include <QPointer>
#include <QString>

#include "BackgroundTasks.h"

class QDialog;
class QMainWindow;
class QPropertyAnimation;
class QWidget;
class AlertBook;
class HoldingBook;
class AppearanceSetting;
class ConfigStockTableController;
class IntervalSetting;
class MarketHours;
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
    // Without an appearance setting the window offers no colour choice; without an alert book, no
    // alerts.
    ConfigWindowController(StockManager &stockManager, IntervalSetting &intervalSetting,
                           AppearanceSetting *appearanceSetting = nullptr,
                           AlertBook *alertBook = nullptr, QObject *parent = nullptr);
    ~ConfigWindowController() override;

    // The switch the market-hours check box shows and changes; none hides the box. Set before
    // the window is built; it must outlive the controller.
    void setMarketHours(MarketHours *marketHours);
    // Before the window is first shown; without a holding book the window offers no holdings.
    void setHoldingBook(HoldingBook *holdingBook);

    // Builds the window on the first call, then brings it to the front.
    void showWindow();
    // Null until the first showWindow, like the table's model; the window holds every control,
    // the panes and the sheets, each by its object name.
    QMainWindow *window() const;

    ConfigStockTableController *stockTableController() const;

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
    void actionColourScheme(int index);
    void actionPriceArrows(bool shown);
    void actionInputSheetOK();
    void actionInputSheetCancel();
    void actionLoadingCancel();

private:
    void loadWindow();
    void loadSheets();
    void connectActions();
    void awakeFromNib();
    void showAppearance();
    void showIntervalMinutes();
    void startAddTask(const QString &code);
    void finishLoading();
    void endLoadingSheet();

    static inline QString s_rememberedCodeText;

    StockManager &m_stockManager;
    IntervalSetting &m_intervalSetting;
    AlertBook *const m_alertBook;
    HoldingBook *m_holdingBook = nullptr;
    AppearanceSetting *m_appearanceSetting;
    MarketHours *m_marketHours = nullptr;
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
