#include "StatusViewController.h"

#include <algorithm>
#include <chrono>
#include <initializer_list>

#include <QAction>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QLabel>
#include <QLocale>
#include <QMenu>

#include "ConfigStockTableController.h"
#include "Clock.h"
#include "ConfigWindowController.h"
#include "MarketHours.h"
#include "PriceDirection.h"
#include "SecurityCode.h"
#include "StatusAlerts.h"
#include "StatusHoldings.h"
#include "StatusBar.h"
#include "StatusTrayIcon.h"
#include "StatusView.h"
#include "StockMenuLine.h"
#include "Stock.h"
#include "StockManager.h"
#include "TickerStrip.h"
#include "UserDefaults.h"
#include "ui_StatusViewController.h"

namespace {

constexpr std::chrono::milliseconds kTickInterval{5000};

// Whether the price a label shows is at or above the previous close; unset while it shows none.
const char *const kRisingProperty = "rising";

void setTextColour(QLabel *label, const QColor &colour) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

// The digits of a proportional font differ in width; the widest one stands for them all.
QString withWidestDigits(const QFontMetrics &metrics, QString sample) {
    QChar widest = u'0';
    for (char16_t digit = u'1'; digit <= u'9'; ++digit) {
        if (metrics.horizontalAdvance(QChar(digit)) > metrics.horizontalAdvance(widest))
            widest = QChar(digit);
    }
    for (QChar &c : sample) {
        if (c.isDigit())
            c = widest;
    }
    return sample;
}

// The widest character each place of a code may hold, so that no code is clipped.
QString widestCode(const QFontMetrics &metrics) {
    QString code;
    for (qsizetype position = 0; position < SecurityCode::kLength; ++position) {
        const QStringView allowed = SecurityCode::charactersAt(position);
        code.append(*std::max_element(allowed.begin(), allowed.end(), [&metrics](QChar a, QChar b) {
            return metrics.horizontalAdvance(a) < metrics.horizontalAdvance(b);
        }));
    }
    return code;
}

// The label keeps what it shows.
void reserveWidth(QLabel *label, const QString &widestText) {
    const QString shown = label->text();
    label->setText(withWidestDigits(label->fontMetrics(), widestText));
    label->setMinimumWidth(label->sizeHint().width());
    label->setText(shown);
}

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
    , m_colourScheme(defaults.value(UserDefaults::KEY_COLOUR_SCHEME),
                     defaults.value(UserDefaults::KEY_PRICE_ARROWS))
    , m_interval(defaults)
    , m_ui(std::make_unique<Ui::StatusViewController>())
    , m_statusItem(std::make_unique<StatusBar>())
    , m_view(new StatusView)
    , m_statusMenu(std::make_unique<QMenu>(QStringLiteral("status")))
    , m_stocksMenu(std::make_unique<QMenu>(QStringLiteral("銘柄"))) {
    loadView();
    m_statusItem->setView(m_view);
    m_statusItem->show();
    buildStatusMenu();
    m_trayIcon = std::make_unique<StatusTrayIcon>(m_statusMenu.get(), m_ui->titleLabel->text());
    m_alerts = std::make_unique<StatusAlerts>(m_stockManager, defaults, m_view, m_trayIcon.get());
    // The window itself is built on the first showWindow.
    m_configWindowController =
        std::make_unique<ConfigWindowController>(m_stockManager, *this, this, &m_alerts->book());
    m_holdings = std::make_unique<StatusHoldings>(m_stockManager, defaults, m_staleQuoteMarker,
                                                  m_colourScheme, m_trayIcon.get());
    m_configWindowController->setHoldingBook(&m_holdings->book());
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
    m_colourScheme = ColourScheme(key, m_colourScheme.arrows());
    for (QLabel *quote : {m_ui->quoteA, m_ui->quoteB})
        colourPrice(quote);
    m_ui->strip->renderSlots();
}

bool StatusViewController::priceArrows() const {
    return m_colourScheme.arrows();
}

void StatusViewController::setPriceArrows(bool shown) {
    m_defaults.setValue(UserDefaults::KEY_PRICE_ARROWS, shown);
    m_colourScheme = ColourScheme(colourScheme(), shown);
    finishSlide();
    reserveSpace();
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

ConfigWindowController *StatusViewController::configWindowController() const {
    return m_configWindowController.get();
}

StatusTrayIcon *StatusViewController::trayIcon() const {
    return m_trayIcon.get();
}

void StatusViewController::setMarketHours(MarketHours *marketHours) {
    m_marketHours = marketHours;
    m_staleQuoteMarker.setMarketHours(marketHours);
    m_configWindowController->setMarketHours(marketHours);
}

void StatusViewController::loadView() {
    m_ui->setupUi(m_view);
    reserveSpace();
    // Until the first tick the title stands in for the ticker.
    m_ui->itemViewA->hide();
    m_ui->itemViewB->hide();
    nameView();
    m_ui->strip->setSlotViews(m_ui->itemViewA, m_ui->itemViewB);
    connect(m_ui->strip, &TickerStrip::slideFinished, this, &StatusViewController::animationDidEnd);
    m_view->setDelegate(this);
    connect(&m_ticker, &QTimer::timeout, this, &StatusViewController::loadItem);
    m_ticker.start(kTickInterval);
}

// Sized for the widest code and price, so that neither is ever clipped; one slot high, with
// slot B parked below the view.
void StatusViewController::reserveSpace() {
    const QString separator = QLocale().groupSeparator();
    const QString widestPrice = QStringLiteral("99") + separator + QStringLiteral("999") +
                                separator + QStringLiteral("999");
    for (QLabel *code : {m_ui->codeA, m_ui->codeB})
        reserveWidth(code, widestCode(code->fontMetrics()));
    for (QLabel *quote : {m_ui->quoteA, m_ui->quoteB})
        reserveWidth(quote, m_colourScheme.priceText(widestPrice, true));
    const int width = std::max(m_ui->titleView->minimumSizeHint().width(),
                               m_ui->itemViewA->minimumSizeHint().width());
    const int height = m_statusItem->thickness();
    m_view->setFixedSize(width, height);
    m_ui->strip->setGeometry(0, 0, width, height);
    m_ui->titleView->setGeometry(0, 0, width, height);
    (m_isItemViewA ? m_ui->itemViewA : m_ui->itemViewB)->setGeometry(0, 0, width, height);
    (m_isItemViewA ? m_ui->itemViewB : m_ui->itemViewA)->setGeometry(0, height, width, height);
}

void StatusViewController::buildStatusMenu() {
    // A Qt menu's title is the text of the entry that opens it, so the menus go by their names.
    m_statusMenu->setObjectName(QStringLiteral("status"));
    m_stocksMenu->setObjectName(QStringLiteral("stocks"));
    m_passNotice = new QAction(m_statusMenu.get());
    m_passNotice->setObjectName(QStringLiteral("passNotice"));
    m_passNotice->setEnabled(false);
    m_statusMenu->addMenu(m_stocksMenu.get());
    m_statusMenu->addAction(QStringLiteral("環境設定"), this, &StatusViewController::config);
    m_statusMenu->addSeparator();
    m_statusMenu->addAction(QStringLiteral("終了"), this, &StatusViewController::quit);
    connect(m_statusMenu.get(), &QMenu::aboutToShow, this, &StatusViewController::menuWillOpen);
    connect(m_statusMenu.get(), &QMenu::aboutToHide, this, &StatusViewController::menuDidClose);
    connect(m_stocksMenu.get(), &QMenu::triggered, this, &StatusViewController::browseStock);
    // The refresh loop may be stuck, so a line's age is judged again whenever it is seen.
    m_stocksMenu->setToolTipsVisible(true);
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
    const QList<std::shared_ptr<Stock>> stocks = m_stockManager.stocks();
    const bool empty = stocks.isEmpty();
    m_ui->titleView->setVisible(empty);
    m_ui->itemViewA->setVisible(!empty);
    m_ui->itemViewB->setVisible(!empty);
    nameView();
    if (empty)
        m_trayIcon->setToolTip(m_ui->titleLabel->text());
    if (empty || m_view->highlighted())
        return;
    s_rotationPosition = s_rotationPosition + 1 < stocks.size() ? s_rotationPosition + 1 : 0;
    finishSlide();
    showInIncomingSlot(*stocks.at(s_rotationPosition));
    animateItemView();
}

// A step never overlaps a slide: the previous one is brought to its end first, so the slots
// are back in their places before new texts go in.
void StatusViewController::finishSlide() {
    m_ui->strip->finishSlide();
}

void StatusViewController::showInIncomingSlot(const Stock &stock) {
    QWidget *slot = m_isItemViewA ? m_ui->itemViewB : m_ui->itemViewA;
    QLabel *code = m_isItemViewA ? m_ui->codeB : m_ui->codeA;
    QLabel *quote = m_isItemViewA ? m_ui->quoteB : m_ui->quoteA;
    const bool rising = priceDirection(stock) != PriceDirection::Down;
    code->setText(stock.code());
    quote->setText(m_colourScheme.priceText(stock.quoteToFormat(), rising));
    quote->setProperty(kRisingProperty, rising);
    colourPrice(quote);
    slot->setAccessibleName(spokenQuote(stock));
    m_ui->strip->renderSlot(slot);
    m_trayIcon->setNote(m_marketHours ? m_marketHours->resumeNote(Clock::currentDateTime())
                                      : QString());
    m_trayIcon->showStock(stock, m_alerts->rulesText(stock));
}

// Both slots move up by the view's height: the strip slides their pictures and moves the
// widgets, which screen readers follow, once at the end.
void StatusViewController::animateItemView() {
    m_ui->strip->slideUp();
}

void StatusViewController::animationDidEnd() {
    QWidget *outgoing = m_isItemViewA ? m_ui->itemViewA : m_ui->itemViewB;
    m_isItemViewA = !m_isItemViewA;
    outgoing->move(outgoing->x(), m_view->height());
    nameView();
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
    m_view->setHighlighted(true);
    setLabelRole(QPalette::HighlightedText);
}

void StatusViewController::menuDidClose() {
    m_view->setHighlighted(false);
    setLabelRole(QPalette::WindowText);
}

// The price labels are left out: they keep their up and down colours on the highlight, shaded
// for it in a chosen scheme.
void StatusViewController::setLabelRole(QPalette::ColorRole role) {
    for (QLabel *label :
         std::initializer_list<QLabel *>{m_ui->codeB, m_ui->codeA, m_ui->titleLabel})
        label->setForegroundRole(role);
    for (QLabel *quote : {m_ui->quoteA, m_ui->quoteB})
        colourPrice(quote);
    m_ui->strip->renderSlots();
}

// Screen readers hear the strip as it reads: the title, or the security on show.
void StatusViewController::nameView() {
    const QWidget *shown = m_isItemViewA ? m_ui->itemViewA : m_ui->itemViewB;
    const QString name =
        m_ui->titleView->isHidden() ? shown->accessibleName() : m_ui->titleLabel->text();
    if (name != m_view->accessibleName())
        m_view->setAccessibleName(name);
}

void StatusViewController::markLines() {
    m_staleQuoteMarker.markLines(*m_stocksMenu);
    m_alerts->markLines(*m_stocksMenu);
    m_holdings->markLines(*m_stocksMenu);
}

void StatusViewController::colourPrice(QLabel *quote) const {
    const QVariant rising = quote->property(kRisingProperty);
    if (!rising.isValid())
        return;
    const QColor background = m_view->highlighted()
                                  ? QGuiApplication::palette().color(QPalette::Highlight)
                                  : m_view->palette().color(QPalette::Window);
    setTextColour(quote, m_colourScheme.priceColour(rising.toBool(), background));
}

void StatusViewController::popUpStatusMenu() {
    m_statusItem->popUpMenu(m_statusMenu.get());
}

void StatusViewController::mouseDown(QMouseEvent *) {
    popUpStatusMenu();
}
