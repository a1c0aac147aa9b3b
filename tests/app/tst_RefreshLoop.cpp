#include <atomic>
#include <chrono>
#include <condition_variable>
#include <future>
#include <limits>
#include <memory>
#include <mutex>
#include <vector>

#include <QtTest>

#include "RefreshClock.h"
#include "RefreshLoop.h"
#include "ScratchSettings.h"
#include "StockManager.h"
#include "StockManagerDelegate.h"
#include "UserDefaults.h"

using namespace std::chrono_literals;
using std::chrono::seconds;
using TimePoint = std::chrono::steady_clock::time_point;

namespace {

constexpr auto kBound = 10s; // no test waits longer than this for anything

// Time that moves only when told: a pass moves it by what the pass "took", a pause by its
// length. The last pause it grants blocks until interrupted, as a long real wait would.
class ManualTime {
public:
    explicit ManualTime(int pauses)
        : m_pausesLeft(pauses) {}

    TimePoint now() const {
        std::lock_guard lock(m_mutex);
        return m_now;
    }

    void advance(std::chrono::duration<double> by) {
        std::lock_guard lock(m_mutex);
        m_now += std::chrono::duration_cast<std::chrono::nanoseconds>(by);
    }

    bool sleepFor(seconds wait) {
        std::unique_lock lock(m_mutex);
        if (m_interrupted)
            return false;
        m_waits.push_back(wait);
        if (--m_pausesLeft > 0) {
            m_now += wait;
            return true;
        }
        m_changed.notify_all();
        m_changed.wait_for(lock, kBound, [this] { return m_interrupted; });
        return false;
    }

    void interrupt() {
        std::lock_guard lock(m_mutex);
        m_interrupted = true;
        m_changed.notify_all();
    }

    // True once the loop has reached the last pause.
    bool waitForLastPause() {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, kBound, [this] { return m_pausesLeft <= 0; });
    }

    std::vector<seconds> waits() const {
        std::lock_guard lock(m_mutex);
        return m_waits;
    }

    bool interrupted() const {
        std::lock_guard lock(m_mutex);
        return m_interrupted;
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    TimePoint m_now = TimePoint() + 1000h;
    int m_pausesLeft;
    bool m_interrupted = false;
    std::vector<seconds> m_waits;
};

// The loop owns its clock, so the time it reads lives with the test instead.
class ManualClock : public RefreshClock {
public:
    explicit ManualClock(ManualTime &time)
        : m_time(time) {}
    TimePoint now() const override { return m_time.now(); }
    bool sleepFor(seconds wait) override { return m_time.sleepFor(wait); }
    void interrupt() override { m_time.interrupt(); }

private:
    ManualTime &m_time;
};

// A loop on a manual clock over a pass that only notes when it began and runs duringPass.
struct Harness {
    explicit Harness(int pauses)
        : time(pauses) {}

    void start() {
        loop = std::make_unique<RefreshLoop>(
            RefreshLoop::Steps{
                .pass =
                    [this] {
                        starts.push_back(time.now());
                        if (duringPass)
                            duringPass(static_cast<int>(starts.size()));
                    },
                .interruptPass =
                    [this] {
                        std::lock_guard lock(mutex);
                        passInterrupted = true;
                        interruptedChanged.notify_all();
                    },
                .intervalMinutes = [this] { return interval.load(); },
            },
            std::make_unique<ManualClock>(time));
    }

    std::vector<seconds> startOffsets() const {
        std::vector<seconds> offsets;
        for (const TimePoint &start : starts)
            offsets.push_back(std::chrono::duration_cast<seconds>(start - starts.front()));
        return offsets;
    }

    // Called on the loop thread by a pass that blocks until it is interrupted.
    bool waitForPassInterrupt() {
        std::unique_lock lock(mutex);
        return interruptedChanged.wait_for(lock, kBound, [this] { return passInterrupted; });
    }

    ManualTime time;
    std::function<void(int)> duringPass;
    std::atomic<double> interval = 10.0;
    std::mutex mutex;
    std::condition_variable interruptedChanged;
    bool passInterrupted = false;
    std::vector<TimePoint> starts; // written by the loop thread, read after it is joined
    std::unique_ptr<RefreshLoop> loop;
};

class CountingDelegate : public StockManagerDelegate {
public:
    void updatedStocks() override { ++calls; }
    std::atomic<int> calls = 0;
};

} // namespace

namespace QTest {
// Lists the durations when a comparison fails.
template <> char *toString(const std::vector<seconds> &waits) {
    QByteArray text = "{";
    for (const seconds &wait : waits)
        text += QByteArray::number(qint64(wait.count())) + (&wait == &waits.back() ? "" : ", ");
    return qstrdup(text + "}");
}
} // namespace QTest

class tst_RefreshLoop : public QObject {
    Q_OBJECT

private slots:
    void waitAfterPass_data();
    void waitAfterPass();
    void passesStartOnePeriodApart();
    void overrunningPassIsFollowedAfterOneSecond();
    void intervalSetDuringPassAppliesToItsWait();
    void hugeIntervalWaitsLongest();
    void emptyListNotifiesOncePerPass();
    void destructionEndsRunningPass();
    void destructionEndsPause();
    void realClockPausesOfCenturiesUntilInterrupted();
    void realClockWakeEndsOnePause();
};

void tst_RefreshLoop::waitAfterPass_data() {
    QTest::addColumn<double>("intervalMinutes");
    QTest::addColumn<double>("elapsed");
    QTest::addColumn<qint64>("expected");
    const qint64 longest = std::numeric_limits<qint64>::max();
    const double inf = std::numeric_limits<double>::infinity();
    QTest::newRow("30 s pass") << 10.0 << 30.0 << qint64(570);
    QTest::newRow("2.1 s left") << 10.0 << 597.9 << qint64(2);
    QTest::newRow("1.8 s left") << 10.0 << 598.2 << qint64(1);
    QTest::newRow("0.5 s over") << 10.0 << 600.5 << qint64(1);
    QTest::newRow("100 s over") << 10.0 << 700.0 << qint64(1);
    QTest::newRow("exactly the period") << 10.0 << 600.0 << qint64(1);
    QTest::newRow("instant pass") << 10.0 << 0.0 << qint64(600);
    QTest::newRow("fraction of a minute") << 7.5 << 0.4 << qint64(449);
    QTest::newRow("stored below the floor") << 3.0 << 30.0 << qint64(150);
    QTest::newRow("largest exact") << 1.5e17 << 0.0 << qint64(9'000'000'000'000'000'000);
    QTest::newRow("just beyond") << 1.6e17 << 0.0 << longest;
    QTest::newRow("1e300 minutes") << 1e300 << 30.0 << longest;
    QTest::newRow("infinite") << inf << 30.0 << longest;
    QTest::newRow("negative") << -10.0 << 0.0 << qint64(1);
    QTest::newRow("minus infinity") << -inf << 0.0 << qint64(1);
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << 0.0 << qint64(1);
}

void tst_RefreshLoop::waitAfterPass() {
    QFETCH(double, intervalMinutes);
    QFETCH(double, elapsed);
    QFETCH(qint64, expected);

    const seconds wait =
        RefreshLoop::waitAfterPass(intervalMinutes, std::chrono::duration<double>(elapsed));

    QCOMPARE(qint64(wait.count()), expected);
}

void tst_RefreshLoop::passesStartOnePeriodApart() {
    Harness h(3);
    h.duringPass = [&h](int) { h.time.advance(30s); };
    h.start();
    QVERIFY(h.time.waitForLastPause());
    h.loop.reset();

    QCOMPARE(h.time.waits(), (std::vector<seconds>{570s, 570s, 570s}));
    QCOMPARE(h.startOffsets(), (std::vector<seconds>{0s, 600s, 1200s}));
}

void tst_RefreshLoop::overrunningPassIsFollowedAfterOneSecond() {
    Harness h(2);
    h.duringPass = [&h](int) { h.time.advance(700s); };
    h.start();
    QVERIFY(h.time.waitForLastPause());
    h.loop.reset();

    QCOMPARE(h.time.waits(), (std::vector<seconds>{1s, 1s}));
    QCOMPARE(h.startOffsets(), (std::vector<seconds>{0s, 701s}));
}

void tst_RefreshLoop::intervalSetDuringPassAppliesToItsWait() {
    Harness h(3);
    h.duringPass = [&h](int pass) {
        h.time.advance(30s);
        if (pass == 2)
            h.interval = 5.0;
    };
    h.start();
    QVERIFY(h.time.waitForLastPause());
    h.loop.reset();

    QCOMPARE(h.time.waits(), (std::vector<seconds>{570s, 270s, 270s}));
}

void tst_RefreshLoop::hugeIntervalWaitsLongest() {
    Harness h(1);
    h.interval = 1e300;
    h.start();
    QVERIFY(h.time.waitForLastPause());
    h.loop.reset();

    QCOMPARE(h.time.waits(), (std::vector<seconds>{seconds::max()}));
}

void tst_RefreshLoop::emptyListNotifiesOncePerPass() {
    ScratchSettings defaults;
    StockManager manager(defaults, QString(), 1ms);
    const auto delegate = std::make_shared<CountingDelegate>();
    manager.setDelegate(delegate);
    Harness h(3);
    h.duringPass = [&manager](int) { manager.update(); };
    h.start();
    QVERIFY(h.time.waitForLastPause());
    h.loop.reset();

    QCOMPARE(delegate->calls.load(), 3);
    QCOMPARE(h.startOffsets(), (std::vector<seconds>{0s, 600s, 1200s}));
}

void tst_RefreshLoop::destructionEndsRunningPass() {
    std::promise<void> passStarted;
    std::atomic<bool> endedByInterrupt = false;
    Harness h(5);
    h.duringPass = [&](int) {
        passStarted.set_value();
        endedByInterrupt = h.waitForPassInterrupt();
    };
    h.start();
    QCOMPARE(passStarted.get_future().wait_for(kBound), std::future_status::ready);

    h.loop.reset();

    QVERIFY(endedByInterrupt);
    QCOMPARE(h.starts.size(), size_t(1));
}

void tst_RefreshLoop::destructionEndsPause() {
    Harness h(1);
    h.start();
    QVERIFY(h.time.waitForLastPause());

    h.loop.reset();

    QVERIFY(h.time.interrupted());
    QCOMPARE(h.starts.size(), size_t(1));
}

void tst_RefreshLoop::realClockPausesOfCenturiesUntilInterrupted() {
    RefreshClock clock;
    auto pause =
        std::async(std::launch::async, [&clock] { return clock.sleepFor(seconds::max()); });

    // A deadline that wrapped around would lie in the past and end the pause at once.
    QCOMPARE(pause.wait_for(200ms), std::future_status::timeout);
    clock.interrupt();
    QCOMPARE(pause.wait_for(kBound), std::future_status::ready);
    QCOMPARE(pause.get(), false);
    QCOMPARE(clock.sleepFor(3600s), false);
}

// 今すぐ更新: the pause under way ends as if it had run out, and only that one.
void tst_RefreshLoop::realClockWakeEndsOnePause() {
    RefreshClock clock;
    const auto pause = [&clock] {
        return std::async(std::launch::async, [&clock] { return clock.sleepFor(seconds::max()); });
    };
    auto woken = pause();
    QCOMPARE(woken.wait_for(200ms), std::future_status::timeout);
    clock.wake();
    QCOMPARE(woken.wait_for(kBound), std::future_status::ready);
    QCOMPARE(woken.get(), true);
    auto next = pause();
    QCOMPARE(next.wait_for(200ms), std::future_status::timeout);
    clock.interrupt();
    QCOMPARE(next.get(), false);
}

QTEST_GUILESS_MAIN(tst_RefreshLoop)
#include "tst_RefreshLoop.moc"
