#pragma once

#include <QObject>
#include <QString>

#include "DisplayPlace.h"

class QDBusServiceWatcher;
class UserDefaults;

// The stored 表示場所 choice and the surface it comes to now: it decides again when the choice
// changes and when a StatusNotifierWatcher comes onto the session bus or leaves it.
class DisplayPlaceSwitch : public QObject {
    Q_OBJECT
public:
    // The desktop as XDG_CURRENT_DESKTOP names it.
    explicit DisplayPlaceSwitch(
        UserDefaults &defaults,
        QString currentDesktop = qEnvironmentVariable("XDG_CURRENT_DESKTOP"),
        QObject *parent = nullptr);

    QString choice() const;
    // Stores the choice (one of DisplayPlace::CHOICES) and takes it into effect at once.
    void setChoice(const QString &key);
    DisplayPlace::Surface surface() const { return m_surface; }

signals:
    void surfaceChanged(DisplayPlace::Surface surface);

private:
    void decide(bool watcherPresent);

    UserDefaults &m_defaults;
    const QString m_desktop;
    QDBusServiceWatcher *m_watch; // a child
    bool m_watcherPresent = false;
    DisplayPlace::Surface m_surface = DisplayPlace::Surface::Strip;
};
