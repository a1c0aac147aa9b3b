#include <atomic>
#include <chrono>
#include <thread>

#include <QtTest>

#include "BackgroundTasks.h"

using namespace std::chrono_literals;

class tst_BackgroundTasks : public QObject {
    Q_OBJECT
private slots:
    void tasksRunOffTheCallingThread();
    void destructionWaitsForRunningTasks();
    void finishedTasksAreJoinedAsTheyGo();
};

void tst_BackgroundTasks::tasksRunOffTheCallingThread() {
    std::atomic<std::thread::id> ranOn{};
    {
        BackgroundTasks tasks;
        tasks.run([&ranOn] { ranOn = std::this_thread::get_id(); });
    }
    QVERIFY(ranOn.load() != std::thread::id{});
    QVERIFY(ranOn.load() != std::this_thread::get_id());
}

void tst_BackgroundTasks::destructionWaitsForRunningTasks() {
    std::atomic<int> finished = 0;
    {
        BackgroundTasks tasks;
        for (int i = 0; i < 3; ++i) {
            tasks.run([&finished] {
                std::this_thread::sleep_for(100ms);
                ++finished;
            });
        }
        QCOMPARE(finished.load(), 0);
    }
    QCOMPARE(finished.load(), 3);
}

void tst_BackgroundTasks::finishedTasksAreJoinedAsTheyGo() {
    BackgroundTasks tasks;
    std::atomic<bool> release = false;
    tasks.run([] {});
    tasks.run([&release] {
        for (int waited = 0; waited < 10000 && !release; ++waited)
            std::this_thread::sleep_for(1ms);
    });
    QTRY_COMPARE(tasks.running(), std::size_t(1));
    release = true;
    QTRY_COMPARE(tasks.running(), std::size_t(0));
}

QTEST_GUILESS_MAIN(tst_BackgroundTasks)
#include "tst_BackgroundTasks.moc"
