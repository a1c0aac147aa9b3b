#pragma once

#include <QDateTime>
#include <QIcon>

class QAction;
class QMenu;
class IntervalSetting;
class Stock;

// Marks the stocks-menu lines whose quote has not been refreshed for two refresh periods, or
// never was, with an icon and a tooltip saying since when and why the last update failed; the
// lines' texts stay as they are.
class StaleQuoteMarker {
public:
    explicit StaleQuoteMarker(const IntervalSetting &interval);

    // Every line of the menu that carries a security, judged at the clock's present time.
    void markLines(const QMenu &menu) const;

private:
    // What every line of one pass is judged by.
    struct Judgement {
        QDateTime now;
        QDateTime oldestFresh; // a quote from before this is stale
        QIcon icon;
    };
    static void mark(QAction &line, const Stock &stock, const Judgement &judgement);

    const IntervalSetting &m_interval;
};
