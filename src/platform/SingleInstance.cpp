#include "SingleInstance.h"

#include <thread>
#include <utility>

#include <unistd.h>

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

namespace {

const QByteArray kShowRequest = QByteArrayLiteral("show\n");
constexpr std::chrono::milliseconds kRetryStep{50};
constexpr int kSocketTimeoutMs = 1000;

} // namespace

SingleInstance::SingleInstance(const QString &program)
    : SingleInstance(userPath(program, QStringLiteral(".lock")),
                     userPath(program, QStringLiteral(".socket"))) {}

SingleInstance::SingleInstance(const QString &lockFilePath, QString serverName,
                               std::chrono::milliseconds patience)
    : m_lock(lockFilePath)
    , m_serverName(std::move(serverName))
    , m_patience(patience) {
    // The lock lives as long as the program, so its age says nothing; only a dead owner
    // makes it stale.
    m_lock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::userPath(const QString &program, const QString &suffix) {
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    // The uid keeps users apart also in the shared temporary directory.
    return QDir(dir).filePath(program + QLatin1Char('-') + QString::number(getuid()) + suffix);
}

SingleInstance::Start SingleInstance::start() {
    const auto deadline = std::chrono::steady_clock::now() + m_patience;
    for (;;) {
        if (takeLock()) {
            listen();
            return Start::First;
        }
        // Where no lock can be made at all, running unguarded beats not running.
        if (m_lock.error() != QLockFile::LockFailedError)
            return Start::First;
        if (askRunningToShow())
            return Start::HandedOver;
        if (std::chrono::steady_clock::now() >= deadline)
            return Start::NoAnswer;
        std::this_thread::sleep_for(kRetryStep);
    }
}

bool SingleInstance::takeLock() {
    if (m_lock.tryLock())
        return true;
    // Unreadable or without a lock on it, the file is left from a copy killed before it wrote its
    // pid: Qt would only call that stale by its age. A live owner keeps a lock on the file, so
    // the removal fails while it runs.
    return m_lock.error() == QLockFile::LockFailedError && m_lock.removeStaleLockFile() &&
           m_lock.tryLock();
}

void SingleInstance::listen() {
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // Holding the lock, we know a socket file left behind belongs to a copy that is gone.
    QLocalServer::removeServer(m_serverName);
    connect(m_server.get(), &QLocalServer::newConnection, this, &SingleInstance::readRequest);
    m_server->listen(m_serverName);
}

void SingleInstance::readRequest() {
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine())
                return;
            if (socket->readLine() == kShowRequest)
                emit showRequested();
            socket->disconnectFromServer();
        });
    }
}

bool SingleInstance::askRunningToShow() const {
    QLocalSocket socket;
    socket.connectToServer(m_serverName);
    if (!socket.waitForConnected(kSocketTimeoutMs))
        return false;
    socket.write(kShowRequest);
    return socket.waitForBytesWritten(kSocketTimeoutMs);
}
