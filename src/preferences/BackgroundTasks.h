#pragma once

#include <atomic>
#include <functional>
#include <list>
#include <memory>
#include <thread>

// Blocking work started from the interface, one thread per task. Destruction waits for every
// task, so a task never outlives the object that owns it and what it reports to.
class BackgroundTasks {
public:
    BackgroundTasks() = default;
    BackgroundTasks(const BackgroundTasks &) = delete;
    BackgroundTasks &operator=(const BackgroundTasks &) = delete;
    ~BackgroundTasks();

    // Called on the owner's thread only.
    void run(std::function<void()> task);
    // Tasks started and not yet known to have ended.
    std::size_t running();

private:
    struct Task {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    void joinFinished();

    std::list<Task> m_tasks;
};
