#include "StaleQuoteMarker.h"

#include <memory>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QStyle>

#include "Clock.h"
#include "IntervalSetting.h"
#include "StatusViewController.h"
#include "Stock.h"

namespace {

constexpr double kStalePeriods = 2.0;

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

void StaleQuoteMarker::markLines(const QMenu &menu) const {
    const Judgement judgement{
        .now = Clock::currentDateTime(),
        .limitSeconds = kStalePeriods * m_interval.intervalSecond() * 60.0,
        .icon = QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning),
    };
    for (QAction *line : menu.actions()) {
        if (const auto stock = line->data().value<std::shared_ptr<Stock>>())
            mark(*line, *stock, judgement);
    }
}

void StaleQuoteMarker::mark(QAction &line, const Stock &stock, const Judgement &judgement) {
    const QDateTime updated = stock.updated_at();
    const bool stale =
        !updated.isValid() ||
        static_cast<double>(updated.msecsTo(judgement.now)) / 1000.0 > judgement.limitSeconds;
    line.setIcon(stale ? judgement.icon : QIcon());
    line.setToolTip(stale ? staleText(stock, updated, judgement.now) : QString());
}
