#include "StatusHoldings.h"

#include <QAction>
#include <QMenu>
#include <QPainter>

#include "ColourScheme.h"
#include "StaleQuoteMarker.h"
#include "StatusTrayIcon.h"
#include "Stock.h"
#include "StockManager.h"
#include "StockMenuLine.h"
#include "Valuation.h"

namespace {

// What a line carries of ours after the text the menu gave it.
const char *const kHoldingTextProperty = "holdingText";
constexpr int kMarkSize = 16;

void setHoldingText(QAction &line, const QString &holdingText) {
    QString text = line.text();
    const QString previous = line.property(kHoldingTextProperty).toString();
    if (previous == holdingText && (holdingText.isEmpty() || text.endsWith(holdingText)))
        return;
    if (!previous.isEmpty() && text.endsWith(previous))
        text.chop(previous.size());
    line.setText(text + holdingText);
    line.setProperty(kHoldingTextProperty, holdingText);
}

// ▲ or ▼ in the gain or loss colour: the shape tells what the colour tells to those who cannot
// tell the colours apart.
QIcon gainMark(bool gain, const QColor &colour) {
    QPixmap mark(kMarkSize, kMarkSize);
    mark.fill(Qt::transparent);
    QPainter painter(&mark);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    const int top = 3;
    const int bottom = kMarkSize - 3;
    const QPolygon triangle =
        gain ? QPolygon({{kMarkSize / 2, top}, {1, bottom}, {kMarkSize - 1, bottom}})
             : QPolygon({{1, top}, {kMarkSize - 1, top}, {kMarkSize / 2, bottom}});
    painter.drawPolygon(triangle);
    return QIcon(mark);
}

} // namespace

StatusHoldings::StatusHoldings(StockManager &stockManager, UserDefaults &defaults,
                               const StaleQuoteMarker &staleQuoteMarker,
                               const ColourScheme &colourScheme, StatusTrayIcon *trayIcon)
    : m_stockManager(stockManager)
    , m_book(defaults, stockManager)
    , m_staleQuoteMarker(staleQuoteMarker)
    , m_colourScheme(colourScheme)
    , m_trayIcon(trayIcon)
    , m_summary(std::make_unique<QAction>())
    , m_separator(std::make_unique<QAction>()) {
    m_summary->setObjectName(QStringLiteral("holdingsSummary"));
    m_separator->setSeparator(true);
}

StatusHoldings::~StatusHoldings() = default;

void StatusHoldings::takeSummary(QMenu &menu) {
    menu.removeAction(m_summary.get());
    menu.removeAction(m_separator.get());
}

void StatusHoldings::markLines(QMenu &menu) {
    m_book.followList(m_stockManager.stocks());
    Valuation valuation;
    for (QAction *line : menu.actions()) {
        const std::shared_ptr<Stock> stock = StockMenuLine::stock(*line);
        const std::optional<Holding> holding = stock ? m_book.holding(stock->code()) : std::nullopt;
        if (!holding) {
            setHoldingText(*line, QString());
            continue;
        }
        const HeldQuote held{.holding = *holding,
                             .price = stock->quote(),
                             .prevClose = stock->prev_close(),
                             .usable = !m_staleQuoteMarker.isStale(*stock)};
        valuation.add(held);
        setHoldingText(*line, Valuation::lineText(held));
    }
    showSummary(menu, valuation);
}

void StatusHoldings::showSummary(QMenu &menu, const Valuation &valuation) {
    if (m_book.isEmpty()) {
        takeSummary(menu);
        if (m_trayIcon)
            m_trayIcon->setHoldings(QString());
        return;
    }
    const QString summary = valuation.summary();
    const QColor colour =
        m_colourScheme.priceColour(valuation.isGain(), menu.palette().color(QPalette::Window));
    m_summary->setText(summary);
    m_summary->setIcon(gainMark(valuation.isGain(), colour));
    if (!menu.actions().contains(m_summary.get())) {
        QAction *first = menu.actions().value(0);
        menu.insertAction(first, m_summary.get());
        menu.insertAction(first, m_separator.get());
    }
    if (m_trayIcon)
        m_trayIcon->setHoldings(summary);
}
