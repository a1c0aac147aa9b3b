#include "ConfigWindowController.h"

#include <QActionGroup>
#include <QLocale>
#include <QMainWindow>
#include <QPropertyAnimation>
#include <QShortcut>
#include <QSlider>
#include <QStyle>

#include "AlertSheet.h"
#include "AppearanceSetting.h"
#include "BundleInfo.h"
#include "CodeInputRule.h"
#include "HoldingSheet.h"
#include "ConfigStockTableController.h"
#include "DisplayPlaceBox.h"
#include "IntervalSetting.h"
#include "LoadingSheetNotice.h"
#include "LoginItemSwitch.h"
#include "MarketHoursSwitch.h"
#include "SourcePane.h"
#include "StockManager.h"
#include "ui_ConfigWindowController.h"
#include "ui_InputSheet.h"
#include "ui_LoadingSheet.h"

namespace {

constexpr int kResizeMilliseconds = 200;
constexpr double kSliderStepsPerMinute = 10.0;
constexpr int kOKTag = 1;

QString infoText(const char *key) {
    const QString value = BundleInfo::infoDictionary().value(QLatin1String(key)).toString();
    return value.isEmpty() ? QStringLiteral("—") : value;
}

// The margins the style gives a window's content; a pane is a window's content only while shown.
void useWindowMargins(QLayout *layout) {
    const QStyle *style = layout->parentWidget()->style();
    layout->setContentsMargins(style->pixelMetric(QStyle::PM_LayoutLeftMargin),
                               style->pixelMetric(QStyle::PM_LayoutTopMargin),
                               style->pixelMetric(QStyle::PM_LayoutRightMargin),
                               style->pixelMetric(QStyle::PM_LayoutBottomMargin));
}

void startAnimation(QProgressBar *indicator) {
    indicator->setRange(0, 0);
}

// A determinate, empty bar: still, where the busy one moves.
void stopAnimation(QProgressBar *indicator) {
    indicator->setRange(0, 1);
    indicator->setValue(0);
}

} // namespace

ConfigWindowController::ConfigWindowController(StockManager &stockManager,
                                               IntervalSetting &intervalSetting,
                                               AppearanceSetting *appearanceSetting,
                                               AlertBook *alertBook, QObject *parent)
    : QObject(parent)
    , m_stockManager(stockManager)
    , m_intervalSetting(intervalSetting)
    , m_alertBook(alertBook)
    , m_appearanceSetting(appearanceSetting) {
    connect(this, &ConfigWindowController::addTaskFinished, this,
            &ConfigWindowController::finishLoading, Qt::QueuedConnection);
}

ConfigWindowController::~ConfigWindowController() = default;

void ConfigWindowController::showWindow() {
    if (!m_window)
        loadWindow();
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void ConfigWindowController::setHoldingBook(HoldingBook *holdingBook) {
    m_holdingBook = holdingBook;
}

void ConfigWindowController::setMarketHours(MarketHours *marketHours) {
    m_marketHours = marketHours;
}

void ConfigWindowController::setDisplayPlace(DisplayPlaceSwitch *displayPlace) {
    m_displayPlace = displayPlace;
}

void ConfigWindowController::loadWindow() {
    m_ui = std::make_unique<Ui::ConfigWindowController>();
    m_window = std::make_unique<QMainWindow>();
    m_ui->setupUi(m_window.get());
    // The shelf stays inside the window, hidden, so that the pane it holds is found there too.
    m_paneShelf.reset(m_window->takeCentralWidget());
    m_paneShelf->setParent(m_window.get());
    m_paneShelf->hide();
    useWindowMargins(m_ui->generalLayout);
    useWindowMargins(m_ui->infoLayout);
    auto *toolbarItems = new QActionGroup(m_window.get());
    toolbarItems->addAction(m_ui->TOOLBAR_GENERAL);
    toolbarItems->addAction(m_ui->TOOLBAR_INFO);
    toolbarItems->addAction(m_ui->TOOLBAR_SOURCE);
    m_sourcePane = new SourcePane(m_stockManager, m_paneShelf.get());
    m_stockTableController = new ConfigStockTableController(
        m_stockManager, m_ui->tableView, m_ui->addButton, m_ui->removeButton, m_window.get());
    if (m_alertBook)
        new AlertSheet(*m_alertBook, m_ui->tableView, m_ui->alertButton, m_window.get());
    else
        m_ui->alertButton->hide();
    if (m_holdingBook)
        new HoldingSheet(*m_holdingBook, m_ui->tableView, m_ui->holdingButton, m_window.get());
    else
        m_ui->holdingButton->hide();
    loadSheets();
    connectActions();
    awakeFromNib();
}

// The sheets are windows of their own, modal to the preferences window while they are open.
void ConfigWindowController::loadSheets() {
    m_inputUi = std::make_unique<Ui::InputSheet>();
    m_inputSheet = new QDialog(m_window.get());
    m_inputUi->setupUi(m_inputSheet);
    m_loadingUi = std::make_unique<Ui::LoadingSheet>();
    m_loadingWindow = new QDialog(m_window.get());
    m_loadingUi->setupUi(m_loadingWindow);
}

void ConfigWindowController::connectActions() {
    connect(m_ui->TOOLBAR_GENERAL, &QAction::triggered, this,
            &ConfigWindowController::actionGeneralView);
    connect(m_ui->TOOLBAR_INFO, &QAction::triggered, this, &ConfigWindowController::actionInfoView);
    connect(m_ui->TOOLBAR_SOURCE, &QAction::triggered, this,
            &ConfigWindowController::actionSourceView);
    connect(m_ui->addButton, &QPushButton::clicked, this, &ConfigWindowController::actionAddStock);
    connect(m_ui->removeButton, &QPushButton::clicked, this,
            &ConfigWindowController::actionRemoveStock);
    // The interval is stored once the slider is let go; the label follows the drag.
    connect(m_ui->intervalSlider, &QSlider::valueChanged, this,
            &ConfigWindowController::actionIntervalSlider);
    connect(m_ui->intervalSlider, &QSlider::sliderMoved, this,
            &ConfigWindowController::showIntervalMinutes);
    // clicked, not stateChanged: setting the box from the login items must not write them.
    connect(m_ui->launchButton, &QCheckBox::clicked, this,
            &ConfigWindowController::actionLoginItem);
    connect(m_inputUi->inputSheetCodeField, &QLineEdit::textEdited, this,
            &ConfigWindowController::controlTextDidChange);
    connect(m_inputUi->inputSheetOKButton, &QPushButton::clicked, this,
            &ConfigWindowController::actionInputSheetOK);
    connect(m_inputUi->inputSheetCancelButton, &QPushButton::clicked, this,
            &ConfigWindowController::actionInputSheetCancel);
    connect(m_inputSheet, &QDialog::finished, this, &ConfigWindowController::inputSheetDidEnd);
    connect(m_loadingUi->loadingCancelButton, &QPushButton::clicked, this,
            &ConfigWindowController::actionLoadingCancel);
    connect(m_loadingWindow, &QDialog::finished, this, &ConfigWindowController::loadingSheetDidEnd);
    new QShortcut(QKeySequence::Delete, m_ui->tableView, this,
                  &ConfigWindowController::actionRemoveStock, Qt::WidgetShortcut);
    connect(m_ui->colourSchemeBox, &QComboBox::activated, this,
            &ConfigWindowController::actionColourScheme);
    connect(m_ui->priceArrowsBox, &QCheckBox::clicked, this,
            &ConfigWindowController::actionPriceArrows);
}

void ConfigWindowController::awakeFromNib() {
    m_ui->TOOLBAR_GENERAL->setChecked(true);
    resizeWindowWithView(m_ui->generalView);
    {
        // The slider shows the interval as it is; only the user's moves are handed on.
        const QSignalBlocker quiet(m_ui->intervalSlider);
        m_ui->intervalSlider->setValue(
            qRound(m_intervalSetting.intervalSecond() * kSliderStepsPerMinute));
    }
    showIntervalMinutes();
    if (isEnableLoginItem())
        m_ui->launchButton->setChecked(true);
    MarketHoursSwitch::bind(m_ui->marketHoursSwitch, m_marketHours);
    DisplayPlaceBox::bind(m_ui->displayPlaceBox, m_ui->displayPlaceTitle, m_displayPlace);
    m_ui->bundleName->setText(infoText("CFBundleName"));
    m_ui->bundleVersion->setText(infoText("CFBundleShortVersionString"));
    showAppearance();
}

void ConfigWindowController::showAppearance() {
    for (QWidget *control : {static_cast<QWidget *>(m_ui->colourSchemeTitle),
                             static_cast<QWidget *>(m_ui->colourSchemeBox),
                             static_cast<QWidget *>(m_ui->priceArrowsBox)})
        control->setVisible(m_appearanceSetting);
    if (!m_appearanceSetting)
        return;
    m_ui->colourSchemeBox->setCurrentIndex(
        qMax(0, AppearanceSetting::COLOUR_SCHEMES.indexOf(m_appearanceSetting->colourScheme())));
    m_ui->priceArrowsBox->setChecked(m_appearanceSetting->priceArrows());
}

void ConfigWindowController::resizeWindowWithView(QWidget *pane) {
    if (!m_window || !pane)
        return;
    finishResize();
    const QRect frame = m_window->geometry();
    const QSize paneSize = pane->size(); // before the window's layout takes the pane over
    if (QWidget *shown = m_window->takeCentralWidget())
        shown->setParent(m_paneShelf.get());
    m_window->setCentralWidget(pane);
    pane->show();
    // Laid out at the old size, the window tells what surrounds its content: the toolbar.
    m_window->layout()->activate();
    const QSize chrome = m_window->size() - pane->size();
    const QRect target(frame.topLeft(), paneSize + chrome);
    if (!m_window->isVisible()) {
        m_window->resize(target.size());
        return;
    }
    auto *resize = new QPropertyAnimation(m_window.get(), "geometry", this);
    resize->setDuration(kResizeMilliseconds);
    resize->setStartValue(frame);
    resize->setEndValue(target);
    m_resize = resize;
    resize->start(QAbstractAnimation::DeleteWhenStopped);
}

void ConfigWindowController::finishResize() {
    if (m_resize && m_resize->state() == QAbstractAnimation::Running)
        m_resize->setCurrentTime(m_resize->totalDuration());
}

void ConfigWindowController::inputSheetDidEnd(int returnCode) {
    if (!m_inputUi)
        return;
    if (returnCode == kOKTag) {
        LoadingSheetNotice::showBusy(*m_loadingUi);
        startAnimation(m_loadingUi->loadingIndicator);
        m_loadingWindow->open();
        // Read here, on the main thread, so that the task never touches the field.
        startAddTask(m_inputUi->inputSheetCodeField->text());
    }
    m_inputSheet->hide();
}

// The finish step is queued after addStock has returned, so it runs behind the table and menu
// rebuild that addStock's change announcement queued; it is dropped if this controller is gone.
// A signal rather than a posted lambda: Qt then builds the queued call itself, so no object made
// on the task's thread is read on the main thread without a hand-off the sanitizers can see.
void ConfigWindowController::startAddTask(const QString &code) {
    m_addTasks.run([this, &stockManager = m_stockManager, code] {
        emit addTaskFinished(LoadingSheetNotice::refusal(stockManager.addStock(code)));
    });
}

void ConfigWindowController::finishLoading(const QString &refusal) {
    stopAnimation(m_loadingUi->loadingIndicator);
    if (refusal.isEmpty())
        endLoadingSheet();
    else if (m_loadingWindow->isVisible())
        LoadingSheetNotice::showRefusal(*m_loadingUi, refusal);
}

// Ending a loading sheet that is not shown, after a cancel, does nothing.
void ConfigWindowController::endLoadingSheet() {
    if (m_loadingWindow->isVisible())
        m_loadingWindow->done(0);
}

void ConfigWindowController::loadingSheetDidEnd(int) {
    if (m_loadingUi)
        m_loadingWindow->hide();
}

// The login items are read afresh by each call: they may change behind the program's back.
bool ConfigWindowController::isEnableLoginItem() const {
    return LoginItemSwitch().isEnableLoginItem();
}

void ConfigWindowController::enableLoginItem() const {
    // A failure is not shown: the check box keeps the state the user gave it.
    LoginItemSwitch().enableLoginItem();
}

void ConfigWindowController::disableLoginItem() const {
    LoginItemSwitch().disableLoginItem();
}

QString ConfigWindowController::rememberedCodeText() {
    return s_rememberedCodeText;
}

void ConfigWindowController::controlTextDidChange() {
    auto *field = qobject_cast<QLineEdit *>(sender());
    if (!field || field->property("tag").toInt() != 0)
        return;
    const CodeInputRule::Outcome outcome =
        CodeInputRule::afterEdit(field->text(), s_rememberedCodeText);
    if (outcome.text != field->text()) {
        // A letter made a capital keeps the cursor where the user typed it.
        const bool capitalsOnly = field->text().size() == outcome.text.size();
        const int cursor = field->cursorPosition();
        field->setText(outcome.text);
        if (capitalsOnly)
            field->setCursorPosition(cursor);
    }
    s_rememberedCodeText = outcome.text;
    m_inputUi->inputSheetOKButton->setEnabled(outcome.okEnabled);
}

void ConfigWindowController::actionGeneralView() {
    if (m_ui)
        resizeWindowWithView(m_ui->generalView);
}

void ConfigWindowController::actionInfoView() {
    if (m_ui)
        resizeWindowWithView(m_ui->infoView);
}

void ConfigWindowController::actionSourceView() {
    resizeWindowWithView(m_sourcePane);
}

void ConfigWindowController::actionAddStock() {
    if (!m_inputUi)
        return;
    m_inputUi->inputSheetCodeField->setText(QString());
    m_inputUi->inputSheetOKButton->setEnabled(false);
    m_inputSheet->open();
    // A dialog shown again gives the focus back to the button that closed it.
    m_inputUi->inputSheetCodeField->setFocus();
}

void ConfigWindowController::actionRemoveStock() {
    if (!m_stockTableController)
        return;
    const int row = m_stockTableController->selectedRow();
    const QList<std::shared_ptr<Stock>> stocks = m_stockManager.stocks();
    // The list may have shrunk since the table was last reloaded.
    if (row >= 0 && row < stocks.size())
        m_stockManager.removeStock(stocks[row]->code());
}

// The slider counts tenths of a minute; the interval gets the minutes as they are, fractions
// included, and clamps them itself while the slider stays where the user put it.
void ConfigWindowController::actionIntervalSlider() {
    if (!m_ui)
        return;
    m_intervalSetting.setIntervalSecond(m_ui->intervalSlider->value() / kSliderStepsPerMinute);
    showIntervalMinutes();
}

void ConfigWindowController::showIntervalMinutes() {
    const double minutes = m_ui->intervalSlider->sliderPosition() / kSliderStepsPerMinute;
    m_ui->intervalLabel->setText(tr("%1分").arg(QLocale().toString(minutes, 'g', 4)));
}

void ConfigWindowController::actionLoginItem() {
    if (!m_ui)
        return;
    switch (m_ui->launchButton->checkState()) {
    case Qt::Checked:
        enableLoginItem();
        break;
    case Qt::Unchecked:
        disableLoginItem();
        break;
    case Qt::PartiallyChecked:
        break;
    }
}

void ConfigWindowController::actionColourScheme(int index) {
    if (m_appearanceSetting && index >= 0 && index < AppearanceSetting::COLOUR_SCHEMES.size())
        m_appearanceSetting->setColourScheme(AppearanceSetting::COLOUR_SCHEMES.at(index));
}

void ConfigWindowController::actionPriceArrows(bool shown) {
    if (m_appearanceSetting)
        m_appearanceSetting->setPriceArrows(shown);
}

void ConfigWindowController::actionInputSheetOK() {
    if (m_inputUi)
        m_inputSheet->done(m_inputUi->inputSheetOKButton->property("tag").toInt());
}

void ConfigWindowController::actionInputSheetCancel() {
    if (m_inputUi)
        m_inputSheet->done(m_inputUi->inputSheetCancelButton->property("tag").toInt());
}

void ConfigWindowController::actionLoadingCancel() {
    if (!m_loadingUi)
        return;
    stopAnimation(m_loadingUi->loadingIndicator);
    endLoadingSheet();
}

QMainWindow *ConfigWindowController::window() const {
    return m_window.get();
}

ConfigStockTableController *ConfigWindowController::stockTableController() const {
    return m_stockTableController;
}
