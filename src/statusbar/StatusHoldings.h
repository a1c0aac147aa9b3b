#pragma once

#include <memory>

#include <QPointer>

#include "HoldingBook.h"

class QAction;
class QMenu;
class ColourScheme;
class StaleQuoteMarker;
class StatusTrayIcon;
class StockManager;
class UserDefaults;
class Valuation;

// The holdings as the status item has them: each held security's menu line adds its 評価損益,
// and while anything is held the stocks menu opens with a summary of all of them, marked in the
// colour scheme's gain or loss colour, which the tray's tooltip carries too.
class StatusHoldings {
public:
    StatusHoldings(StockManager &stockManager, UserDefaults &defaults,
                   const StaleQuoteMarker &staleQuoteMarker, const ColourScheme &colourScheme,
                   StatusTrayIcon *trayIcon);
    ~StatusHoldings();

    HoldingBook &book() { return m_book; }

    // Before the lines are rebuilt: the summary is no line of a security.
    void takeSummary(QMenu &menu);
    // After the lines are rebuilt and whenever the menu opens.
    void markLines(QMenu &menu);

private:
    void showSummary(QMenu &menu, const Valuation &valuation);

    StockManager &m_stockManager;
    HoldingBook m_book;
    const StaleQuoteMarker &m_staleQuoteMarker;
    const ColourScheme &m_colourScheme;
    QPointer<StatusTrayIcon> m_trayIcon;
    std::unique_ptr<QAction> m_summary;
    std::unique_ptr<QAction> m_separator;
};
