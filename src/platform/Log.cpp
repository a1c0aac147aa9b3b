#include "Log.h"

#include <cerrno>
#include <cstdio>
#include <mutex>
#include <unistd.h>

namespace {

std::mutex &sinkMutex() {
    static std::mutex mutex;
    return mutex;
}

Log::Sink &currentSink() {
    static Log::Sink sink;
    return sink;
}

void writeToStderr(const QString &line) {
    // One write(2) per line so lines from different threads never interleave.
    const QByteArray bytes = line.toUtf8() + '\n';
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(STDERR_FILENO, bytes.constData() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        done += n;
    }
}

} // namespace

QString Log::formatLine(const QDateTime &when, const QString &program, qint64 pid,
                        const QString &text) {
    return QStringLiteral("%1 %2[%3] %4")
        .arg(when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")), program,
             QString::number(pid), text);
}

void Log::write(const QString &text) {
    const QString line =
        formatLine(QDateTime::currentDateTime(),
                   QString::fromLocal8Bit(program_invocation_short_name), ::getpid(), text);
    std::lock_guard lock(sinkMutex());
    if (currentSink())
        currentSink()(line);
    else
        writeToStderr(line);
}

Log::Sink Log::setSink(Sink sink) {
    std::lock_guard lock(sinkMutex());
    std::swap(currentSink(), sink);
    return sink;
}
