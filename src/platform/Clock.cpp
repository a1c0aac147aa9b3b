#include "Clock.h"

#include <mutex>

namespace {

std::mutex clockMutex;
QDateTime fixedTime;

} // namespace

QDateTime Clock::currentDateTime() {
    std::lock_guard lock(clockMutex);
    return fixedTime.isValid() ? fixedTime : QDateTime::currentDateTime();
}

void Clock::setFixed(const QDateTime &when) {
    std::lock_guard lock(clockMutex);
    fixedTime = when;
}
