#pragma once

#include <atomic>
#include <chrono>
#include <optional>

#include <QDateTime>

class MarketHours;

// When the refresh loop may fetch: always while the market-hours switch is off; while it is on,
// one pass at launch (or when it is turned on), then passes only within the sessions and one a
// minute after each session ends; a failed pass is tried again, an interval later or when its
// host may be asked again, until one succeeds. Used by the refresh thread alone.
class RefreshSchedule {
public:
    // Even a far-off pass is looked at again this often, so that a change of the switch, a
    // machine that slept or a clock that was set takes effect.
    static constexpr std::chrono::seconds kLongestWait = std::chrono::minutes(5);

    explicit RefreshSchedule(const MarketHours &marketHours);

    // Whether a pass may run now; one that may counts as begun, and as a success unless
    // passFailed() follows. One asked for always may.
    bool beginPass(const QDateTime &now);
    // The pass begun last brought nothing; its host may be asked again from `hostFree`
    // (invalid when it may be asked now).
    void passFailed(const QDateTime &hostFree);
    // The next pass runs whatever the hours; any thread.
    void askForPass();
    // The pause to take after a pass (run or not), given the pause the loop would take by
    // the refresh interval alone.
    std::chrono::seconds waitAfterPass(std::chrono::seconds plainWait, double intervalMinutes,
                                       const QDateTime &now);

private:
    const MarketHours &m_marketHours;
    std::atomic<bool> m_asked = false;
    QDateTime m_passStart;                // of the last pass that ran while the switch was on
    QDateTime m_due;                      // when the next one may run
    std::optional<QDateTime> m_retryFrom; // set while that pass failed: when its host is free
};
