#pragma once

#include <QStringList>

#include "Log.h"

// Collects the texts written to Log while it lives (without the time and program stamp).
class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;

    QStringList texts() const;

private:
    Log::Sink m_previous;
    struct Shared;
    std::shared_ptr<Shared> m_shared;
};
