#pragma once

#include <functional>

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
    // Tells whether a security's quote is stale, judged once, at the clock's present time, for
    // every security it is asked about.
    std::function<bool(const Stock &)> staleNow() const;
    // Why the menu's line of the security was marked when last judged; empty when it was not.
    static QString reason(const QMenu &menu, const Stock &stock);

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
