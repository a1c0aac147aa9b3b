#include "BackgroundTasks.h"

BackgroundTasks::~BackgroundTasks() {
    for (Task &task : m_tasks)
        task.thread.join();
}

void BackgroundTasks::run(std::function<void()> task) {
    joinFinished();
    auto done = std::make_shared<std::atomic<bool>>(false);
    std::thread thread([task = std::move(task), done] {
        task();
        *done = true;
    });
    m_tasks.push_back({std::move(thread), std::move(done)});
}

std::size_t BackgroundTasks::running() {
    joinFinished();
    return m_tasks.size();
}

// Threads that have ended are joined as new ones start, so the list stays short.
void BackgroundTasks::joinFinished() {
    m_tasks.remove_if([](Task &task) {
        if (!*task.done)
            return false;
        task.thread.join();
        return true;
    });
}
