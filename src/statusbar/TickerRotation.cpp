#include "TickerRotation.h"

#include <chrono>

#include "Stock.h"
#include "StockManager.h"

namespace {

constexpr std::chrono::milliseconds kTickInterval{5000};

} // namespace

TickerRotation::TickerRotation(const StockManager &stockManager, QObject *parent)
    : QObject(parent)
    , m_stockManager(stockManager) {
    connect(&m_timer, &QTimer::timeout, this, &TickerRotation::tick);
    m_timer.start(kTickInterval);
}

bool TickerRotation::held() const {
    return m_held;
}

void TickerRotation::setHeld(bool held) {
    m_held = held;
}

void TickerRotation::tick() {
    const QList<std::shared_ptr<Stock>> stocks = m_stockManager.stocks();
    emit ticked(stocks.isEmpty());
    if (stocks.isEmpty() || m_held)
        return;
    // A list that shrank below the last position starts again at its first security.
    s_position = s_position + 1 < stocks.size() ? s_position + 1 : 0;
    emit advanced(stocks.at(s_position));
}
