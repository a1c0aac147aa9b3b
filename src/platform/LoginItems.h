#pragma once

#include <QList>
#include <QString>

// The user's login items over XDG autostart: the desktop files of one autostart folder, each
// standing for the program its Exec key starts.
class LoginItems {
public:
    struct Item {
        QString file;         // absolute path of the desktop file
        QString resolvedPath; // absolute program path; null when the item does not resolve
    };

    explicit LoginItems(QString autostartDir = standardDirectory());

    // $XDG_CONFIG_HOME/autostart, by default ~/.config/autostart.
    static QString standardDirectory();
    // The running executable's absolute path with symbolic links resolved; null without an
    // application object.
    static QString applicationPath();

    const QString &directory() const { return m_directory; }

    // The *.desktop files in file-name order. An item does not resolve when its file cannot be
    // read, has no Exec key or is Hidden=true.
    QList<Item> items() const;
    // Writes, atomically, a new desktop file that starts the program (an absolute path) at
    // login. A file of the chosen name is replaced only when it starts that very program already.
    bool insertItem(const QString &programPath) const;
    // Deletes the item's desktop file.
    bool removeItem(const Item &item) const;

private:
    QString fileNameFor(const QString &programPath) const;

    const QString m_directory;
};
