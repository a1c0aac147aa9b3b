#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "RefreshClock.h"

// The background thread that runs the refresh pass once per refresh period, for as long as the
// object lives; destroying it ends a running pass and joins the thread.
class RefreshLoop {
public:
    struct Steps {
        std::function<void()> pass;              // one refresh pass; blocks
        std::function<void()> interruptPass;     // ends a running pass at once and for good
        std::function<double()> intervalMinutes; // read afresh after every pass
        // When set, turns the pause the interval asks for into the one to take.
        std::function<std::chrono::seconds(std::chrono::seconds)> adjustWait = nullptr;
    };

    // Starts the first pass at once on a thread of its own.
    explicit RefreshLoop(Steps steps,
                         std::unique_ptr<RefreshClock> clock = std::make_unique<RefreshClock>());
    ~RefreshLoop();
    RefreshLoop(const RefreshLoop &) = delete;
    RefreshLoop &operator=(const RefreshLoop &) = delete;

    // The pause after a pass that took `elapsed`: the rest of the period of `intervalMinutes`,
    // truncated to whole seconds, at least one second, and at most seconds::max() however
    // large the interval.
    // Ends the pause after a pass at once, so the next pass starts now; any thread.
    void wake();

    static std::chrono::seconds waitAfterPass(double intervalMinutes,
                                              std::chrono::duration<double> elapsed);

private:
    void run();

    const Steps m_steps;
    const std::unique_ptr<RefreshClock> m_clock;
    std::thread m_thread; // last: it starts once everything it uses exists
};
