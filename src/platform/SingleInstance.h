#pragma once

#include <chrono>
#include <memory>

#include <QLockFile>
#include <QObject>
#include <QString>

class QLocalServer;

// Keeps one copy of the program running per user: the first start holds a lock file and listens
// on a local socket; a later start finds the lock held and asks the first to show itself.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Start {
        First,      // this process is the one copy (unguarded where no lock can be made)
        HandedOver, // a running copy has been asked to show itself
        NoAnswer,   // a running copy holds the lock but could not be reached
    };

    // This user's lock file and socket for the program, in the runtime directory.
    explicit SingleInstance(const QString &program);
    // How long a later start keeps trying to reach a copy that holds the lock but does not
    // listen yet (it may be starting).
    SingleInstance(const QString &lockFilePath, QString serverName,
                   std::chrono::milliseconds patience = std::chrono::seconds(3));
    ~SingleInstance() override;

    // Call before anything else of the program starts; once per object.
    Start start();

signals:
    // A later start asked this, the first copy, to show itself.
    void showRequested();

private:
    // In the runtime directory, or the temporary directory where there is none.
    static QString userPath(const QString &program, const QString &suffix);
    bool takeLock();
    void listen();
    void readRequest();
    bool askRunningToShow() const;

    QLockFile m_lock;
    const QString m_serverName;
    const std::chrono::milliseconds m_patience;
    std::unique_ptr<QLocalServer> m_server;
};
