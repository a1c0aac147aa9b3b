#pragma once

#include <memory>

#include <QObject>
#include <QTimer>

class Stock;
class StockManager;

// Which security of the watch list is on show: every five seconds the next one in list order,
// wrapping at the end, held while a menu is open. Every surface of the ticker follows it.
class TickerRotation : public QObject {
    Q_OBJECT
public:
    // Ticks from now on. The watch list must outlive the rotation.
    explicit TickerRotation(const StockManager &stockManager, QObject *parent = nullptr);

    bool held() const;
    // A held rotation still reports each tick but never steps.
    void setHeld(bool held);

public slots:
    // What the five-second timer does: reads the list afresh and steps to its next security.
    void tick();

signals:
    // On every tick, before any step and also while held: whether the list is empty.
    void ticked(bool listEmpty);
    // After a step: the security now on show.
    void advanced(const std::shared_ptr<Stock> &stock);

private:
    friend class tst_TickerRotation; // start each case from a fresh rotation
    friend class tst_StatusViewController;

    // The index in the watch list of the security shown last, one for the whole process:
    // -1 before the first step, never reset.
    static inline int s_position = -1;

    const StockManager &m_stockManager;
    QTimer m_timer;
    bool m_held = false;
};
