#include "QuoteSimServer.h"

#include <csignal>
#include <vector>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QByteArray>

namespace {

// Reads the simulator's first line (its base URL), waiting at most five seconds in all.
QByteArray firstLine(int fd) {
    QByteArray line;
    for (int rounds = 0; rounds < 50 && !line.endsWith('\n'); ++rounds) {
        pollfd ready{fd, POLLIN, 0};
        if (::poll(&ready, 1, 100) <= 0)
            continue;
        char c;
        while (!line.endsWith('\n') && ::read(fd, &c, 1) == 1) // non-blocking
            line += c;
    }
    return line.trimmed();
}

} // namespace

QuoteSimServer::QuoteSimServer(const QByteArrayList &arguments) {
    const QByteArray program = qgetenv("KABU_QUOTESIM");
    int pipeEnds[2];
    if (program.isEmpty() || ::pipe(pipeEnds) != 0)
        return;
    // Made before the fork: the child only execs.
    const QByteArrayList words = QByteArrayList{program, "--port", "0"} + arguments;
    std::vector<char *> argv;
    for (const QByteArray &word : words)
        argv.push_back(const_cast<char *>(word.constData()));
    argv.push_back(nullptr);
    const pid_t parent = ::getpid();
    m_pid = ::fork();
    if (m_pid == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent)
            ::_exit(1);
        ::dup2(pipeEnds[1], STDOUT_FILENO);
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
        ::execv(program.constData(), argv.data());
        ::_exit(127);
    }
    ::close(pipeEnds[1]);
    if (m_pid > 0) {
        ::fcntl(pipeEnds[0], F_SETFL, O_NONBLOCK);
        const QByteArray line = firstLine(pipeEnds[0]);
        if (line.startsWith("http://"))
            m_baseURL = QString::fromLatin1(line);
    }
    ::close(pipeEnds[0]);
}

QuoteSimServer::~QuoteSimServer() {
    if (m_pid <= 0)
        return;
    ::kill(m_pid, SIGKILL);
    ::waitpid(m_pid, nullptr, 0);
}
