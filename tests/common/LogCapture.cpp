#include "LogCapture.h"

#include <mutex>

struct LogCapture::Shared {
    std::mutex mutex;
    QStringList texts;
};

LogCapture::LogCapture()
    : m_shared(std::make_shared<Shared>()) {
    m_previous = Log::setSink([shared = m_shared](const QString &line) {
        const qsizetype stamp = line.indexOf(QStringLiteral("] "));
        std::lock_guard lock(shared->mutex);
        shared->texts << (stamp < 0 ? line : line.mid(stamp + 2));
    });
}

LogCapture::~LogCapture() {
    Log::setSink(m_previous);
}

QStringList LogCapture::texts() const {
    std::lock_guard lock(m_shared->mutex);
    return m_shared->texts;
}
