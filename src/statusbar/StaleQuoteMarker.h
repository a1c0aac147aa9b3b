#pragma once

#include <QDateTime>
#include <QIcon>

class QAction;
class QMenu;
class IntervalSetting;
class MarketHours;
class Stock;

// Marks the stocks-menu lines whose quote has not been refreshed for two refresh periods, or
// never was, with an icon and a tooltip saying since when and why the last update failed; the
// lines' texts stay as they are.
class StaleQuoteMarker {
public:
    explicit StaleQuoteMarker(const IntervalSetting &interval);
    // With the market-hours switch on and the market shut, a quote read after the last session
    // is not stale however old.
    void setMarketHours(const MarketHours *marketHours);

    // Every line of the menu that carries a security, judged at the clock's present time.
    void markLines(const QMenu &menu) const;
    // Whether the security's quote is stale at the clock's present time.
    bool isStale(const Stock &stock) const;

private:
    // What every line of one pass is judged by.
    struct Judgement {
        QDateTime now;
        QDateTime oldestFresh; // a quote from before this is stale
        QDateTime closedSince; // a quote read after this is fresh; invalid when trading
    };
    Judgement judgeNow() const;
    static bool isStale(const Stock &stock, const Judgement &judgement);
    static void mark(QAction &line, const Stock &stock, const Judgement &judgement,
                     const QIcon &icon);

    const IntervalSetting &m_interval;
    const MarketHours *m_marketHours = nullptr;
};
