#include "StatusViewController.h"

#include <QAction>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QMenu>

#include "AccessibleMenuNames.h"
#include "ConfigStockTableController.h"
#include "Clock.h"
#include "ConfigWindowController.h"
#include "DisplayPlaceSwitch.h"
#include "MarketHours.h"
#include "PanelTicker.h"
#include "StatusAlerts.h"
#include "StatusHoldings.h"
#include "StatusBar.h"
#include "StatusTrayIcon.h"
#include "StatusView.h"
#include "StockMenuLine.h"
#include "Stock.h"
#include "StockManager.h"
#include "StripPresenter.h"
#include "TickerSurfaces.h"
#include "UserDefaults.h"

namespace {

QString menuTitle(const Stock &stock) {
    // A security never read successfully has no name and no update time; say so in their places.
    const QString name = stock.name();
    const QString updatedAt = stock.updatedAtToFormat();
    // One pass over the format, so that a "%1" inside a name stays as it is.
    QString title =
        QStringLiteral("[%1] %2 / \u00A5%3 (%4) / %5 / %6")
            .arg(stock.code(), name.isEmpty() ? QStringLiteral("未取得") : name,
                 stock.quoteToFormat(), stock.prevCloseToFormat(), stock.volumeToFormat(),
                 updatedAt.isEmpty() ? QStringLiteral("--:--") : updatedAt);
    // A menu reads "&" as the mark of a mnemonic; names such as "S&B" keep theirs.
    return title.replace(u'&', QStringLiteral("&&"));
}

} // namespace

StatusViewController::StatusViewController(StockManager &stockManager, UserDefaults &defaults,
                                           QObject *parent)
    : QObject(parent)
    , m_stockManager(stockManager)
    , m_defaults(defaults)
    , m_interval(defaults)
    , m_statusItem(std::make_unique<StatusBar>())
    , m_view(new StatusView)
    , m_strip(std::make_unique<StripPresenter>(
          *m_view, *m_statusItem,
          ColourScheme(defaults.value(UserDefaults::KEY_COLOUR_SCHEME),
                       defaults.value(UserDefaults::KEY_PRICE_ARROWS))))
    , m_statusMenu(std::make_unique<QMenu>(QStringLiteral("status")))
    , m_stocksMenu(std::make_unique<QMenu>(QStringLiteral("銘柄"))) {
    m_view->setDelegate(this);
    m_statusItem->setView(m_view);
    buildStatusMenu();
    m_trayIcon = std::make_unique<StatusTrayIcon>(m_statusMenu.get(), m_strip->title());
    connect(&m_rotation, &TickerRotation::ticked, this, [this](bool listEmpty) {
        if (listEmpty)
            m_trayIcon->showTitle(m_strip->title());
    });
    connect(&m_rotation, &TickerRotation::advanced, this,
            [this](const std::shared_ptr<Stock> &stock) { showInTray(*stock); });
    m_alerts = std::make_unique<StatusAlerts>(m_stockManager, defaults, m_view, m_trayIcon.get());
    // The window itself is built on the first showWindow.
    m_configWindowController =
        std::make_unique<ConfigWindowController>(m_stockManager, *this, this, &m_alerts->book());
    m_holdings = std::make_unique<StatusHoldings>(m_stockManager, defaults, m_staleQuoteMarker,
                                                  m_strip->colourScheme(), m_trayIcon.get());
    m_configWindowController->setHoldingBook(&m_holdings->book());
    m_displayPlace = std::make_unique<DisplayPlaceSwitch>(defaults);
    m_configWindowController->setDisplayPlace(m_displayPlace.get());
    m_surfaces = std::make_unique<TickerSurfaces>(
        *m_displayPlace, TickerSurfaces::Parts{m_stockManager, m_rotation, *m_statusItem, *m_strip,
                                               *m_trayIcon, *m_statusMenu});
}

StatusViewController::~StatusViewController() = default;

double StatusViewController::intervalSecond() const {
    return m_interval.minutes();
}

void StatusViewController::setIntervalSecond(double minutes) {
    m_interval.setMinutes(minutes);
}

QString StatusViewController::colourScheme() const {
    return m_defaults.value(UserDefaults::KEY_COLOUR_SCHEME);
}

void StatusViewController::setColourScheme(const QString &key) {
    m_defaults.setValue(UserDefaults::KEY_COLOUR_SCHEME, key);
    m_strip->setColourScheme(ColourScheme(key, priceArrows()));
}

bool StatusViewController::priceArrows() const {
    return m_strip->colourScheme().arrows();
}

void StatusViewController::setPriceArrows(bool shown) {
    m_defaults.setValue(UserDefaults::KEY_PRICE_ARROWS, shown);
    m_strip->setColourScheme(ColourScheme(colourScheme(), shown));
}

StatusBar *StatusViewController::statusItem() const {
    return m_statusItem.get();
}

StatusView *StatusViewController::view() const {
    return m_view;
}

QMenu *StatusViewController::statusMenu() const {
    return m_statusMenu.get();
}

QMenu *StatusViewController::stocksMenu() const {
    return m_stocksMenu.get();
}

QAction *StatusViewController::refreshNowAction() const {
    return m_refreshNow;
}

ConfigWindowController *StatusViewController::configWindowController() const {
    return m_configWindowController.get();
}

StatusTrayIcon *StatusViewController::trayIcon() const {
    return m_trayIcon.get();
}

DisplayPlaceSwitch *StatusViewController::displayPlace() const {
    return m_displayPlace.get();
}

TickerRotation &StatusViewController::rotation() {
    return m_rotation;
}

void StatusViewController::setMarketHours(MarketHours *marketHours) {
    m_marketHours = marketHours;
    m_staleQuoteMarker.setMarketHours(marketHours);
    m_configWindowController->setMarketHours(marketHours);
}

void StatusViewController::buildStatusMenu() {
    // A Qt menu's title is the text of the entry that opens it, so the menus go by their names.
    m_statusMenu->setObjectName(QStringLiteral("status"));
    m_stocksMenu->setObjectName(QStringLiteral("stocks"));
    m_passNotice = new QAction(m_statusMenu.get());
    m_passNotice->setObjectName(QStringLiteral("passNotice"));
    m_passNotice->setEnabled(false);
    m_statusMenu->addMenu(m_stocksMenu.get());
    m_refreshNow = m_statusMenu->addAction(QStringLiteral("今すぐ更新"));
    m_refreshNow->setObjectName(QStringLiteral("refreshNow"));
    m_statusMenu->addAction(QStringLiteral("環境設定"), this, &StatusViewController::config);
    m_statusMenu->addSeparator();
    m_statusMenu->addAction(QStringLiteral("終了"), this, &StatusViewController::quit);
    connect(m_statusMenu.get(), &QMenu::aboutToShow, this, &StatusViewController::menuWillOpen);
    connect(m_statusMenu.get(), &QMenu::aboutToHide, this, &StatusViewController::menuDidClose);
    connect(m_stocksMenu.get(), &QMenu::triggered, this, &StatusViewController::browseStock);
    // The refresh loop may be stuck, so a line's age is judged again whenever it is seen.
    m_stocksMenu->setToolTipsVisible(true);
    // Lines and the pass notice are reused with new texts, which screen readers must hear of.
    for (QMenu *menu : {m_statusMenu.get(), m_stocksMenu.get()})
        new AccessibleMenuNames(*menu);
    connect(m_stocksMenu.get(), &QMenu::aboutToShow, this, &StatusViewController::markLines);
}

// The lines are kept from one rebuild to the next and given new texts: making and destroying a
// thousand actions costs more than all the texts in them.
void StatusViewController::updateStockMenu() {
    const QList<std::shared_ptr<Stock>> stocks = m_stockManager.stocks();
    m_holdings->takeSummary(*m_stocksMenu);
    QList<QAction *> lines = m_stocksMenu->actions();
    while (lines.size() > stocks.size())
        delete lines.takeLast();
    for (qsizetype i = 0; i < stocks.size(); ++i) {
        QAction *line = i < lines.size() ? lines.at(i) : m_stocksMenu->addAction(QString());
        line->setText(menuTitle(*stocks.at(i)));
        StockMenuLine::setStock(*line, stocks.at(i));
    }
    // Pointing at an entry whose menu is empty leaves Qt's menu unable to open it once lines
    // arrive; an empty list shows 銘柄 greyed out instead.
    m_stocksMenu->menuAction()->setEnabled(!stocks.isEmpty());
    m_alerts->review(stocks);
    markLines();
    showPassFailure();
    // Before the preferences window is first opened there is no table to reload.
    if (ConfigStockTableController *table = m_configWindowController->stockTableController())
        table->reloadData();
}

void StatusViewController::showPassFailure() {
    const std::optional<UpdateFailure> failure = m_stockManager.passFailure();
    const QString notice = failure ? failure->summary() : QString();
    m_passNotice->setText(QString(notice).replace(u'&', QStringLiteral("&&")));
    // In the menu only while there is something to say, as its first line.
    if (failure && !m_statusMenu->actions().contains(m_passNotice))
        m_statusMenu->insertAction(m_statusMenu->actions().value(0), m_passNotice);
    else if (!failure)
        m_statusMenu->removeAction(m_passNotice);
    m_trayIcon->setPassNotice(notice);
}

void StatusViewController::loadItem() {
    m_rotation.tick();
}

void StatusViewController::showInTray(const Stock &stock) {
    QStringList notes{StaleQuoteMarker::reason(*m_stocksMenu, stock),
                      m_marketHours ? m_marketHours->resumeNote(Clock::currentDateTime())
                                    : QString()};
    notes.removeAll(QString());
    m_trayIcon->setNote(notes.join(u'\n'));
    m_trayIcon->showStock(stock, m_alerts->rulesText(stock));
}

void StatusViewController::browseStock(QAction *item) {
    const auto stock = item ? StockMenuLine::stock(*item) : nullptr;
    // The chosen source's page, also before the next pass reads from it.
    if (stock)
        QDesktopServices::openUrl(m_stockManager.source()->pageURL(stock->code()));
}

void StatusViewController::config() {
    m_configWindowController->showWindow();
}

void StatusViewController::quit() {
    QCoreApplication::quit();
}

void StatusViewController::menuWillOpen() {
    m_rotation.setHeld(true);
    m_strip->setHighlighted(true);
}

void StatusViewController::menuDidClose() {
    m_rotation.setHeld(false);
    m_strip->setHighlighted(false);
}

void StatusViewController::markLines() {
    m_staleQuoteMarker.markLines(*m_stocksMenu);
    m_alerts->markLines(*m_stocksMenu);
    m_holdings->markLines(*m_stocksMenu);
}

void StatusViewController::popUpStatusMenu() {
    // The strip is hidden while the panel's item is on show.
    if (PanelTicker *panel = m_surfaces->panel())
        panel->popUpMenu();
    else
        m_statusItem->popUpMenu(m_statusMenu.get());
}

void StatusViewController::mouseDown(QMouseEvent *) {
    popUpStatusMenu();
}
