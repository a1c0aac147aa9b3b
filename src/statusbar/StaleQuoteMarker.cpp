#include "StaleQuoteMarker.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QStyle>

#include "Clock.h"
#include "IntervalSetting.h"
#include "MarketHours.h"
#include "Stock.h"
#include "StockMenuLine.h"

namespace {

constexpr double kStalePeriods = 2.0;
// Far beyond any interval a person sets, and still a time QDateTime can hold.
constexpr double kLongestLimitMSecs = 1e15;

QString sinceText(const Stock &stock, const QDateTime &updated, const QDateTime &now) {
    if (!updated.isValid())
        return QStringLiteral("まだ更新されていません");
    // A quote from another day names its day too, lest it pass for today's.
    const QString day =
        updated.date() == now.date() ? QString() : updated.toString(QStringLiteral("M/d "));
    return QStringLiteral("%1%2 から更新されていません").arg(day, stock.updatedAtToFormat());
}

QString staleText(const Stock &stock, const QDateTime &updated, const QDateTime &now) {
    const std::optional<UpdateFailure> failure = stock.lastFailure();
    const QString since = sinceText(stock, updated, now);
    return failure ? since + QStringLiteral("\n前回の失敗: ") + failure->text() : since;
}

} // namespace

StaleQuoteMarker::StaleQuoteMarker(const IntervalSetting &interval)
    : m_interval(interval) {}

void StaleQuoteMarker::setMarketHours(const MarketHours *marketHours) {
    m_marketHours = marketHours;
}

void StaleQuoteMarker::markLines(const QMenu &menu) const {
    const Judgement judgement = judgeNow();
    const QIcon icon = QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
    for (QAction *line : menu.actions()) {
        if (const auto stock = StockMenuLine::stock(*line))
            mark(*line, *stock, judgement, icon);
    }
}

bool StaleQuoteMarker::isStale(const Stock &stock) const {
    return isStale(stock, judgeNow());
}

StaleQuoteMarker::Judgement StaleQuoteMarker::judgeNow() const {
    const QDateTime now = Clock::currentDateTime();
    // Whole milliseconds: a quote is stale when more of them than the limit have passed.
    const double limit = std::floor(
        std::min(kStalePeriods * m_interval.intervalSecond() * 60e3, kLongestLimitMSecs));
    return {
        .now = now,
        .oldestFresh = now.addMSecs(-static_cast<qint64>(limit)),
        .closedSince = m_marketHours ? m_marketHours->closedSince(now) : QDateTime(),
    };
}

bool StaleQuoteMarker::isStale(const Stock &stock, const Judgement &judgement) {
    const QDateTime updated = stock.updated_at();
    const bool afterClose = judgement.closedSince.isValid() && updated >= judgement.closedSince;
    // Two times of the same zone compare without a conversion, unlike msecsTo.
    return !updated.isValid() || (!afterClose && updated < judgement.oldestFresh);
}

void StaleQuoteMarker::mark(QAction &line, const Stock &stock, const Judgement &judgement,
                            const QIcon &icon) {
    const bool stale = isStale(stock, judgement);
    // Setting an icon redraws the line even when it is the same one.
    if (line.icon().isNull() == stale)
        line.setIcon(stale ? icon : QIcon());
    line.setToolTip(stale ? staleText(stock, stock.updated_at(), judgement.now) : QString());
}
