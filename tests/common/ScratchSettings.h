#pragma once

#include <QTemporaryDir>

#include "UserDefaults.h"

// The folder goes first, so that it is there for the settings and outlives them.
struct ScratchFolder {
    QTemporaryDir folder;
};

// Settings in a fresh folder of their own, gone with the object.
class ScratchSettings : private ScratchFolder, public UserDefaults {
public:
    ScratchSettings()
        : UserDefaults(folder.filePath(QStringLiteral("kabu-ticker.conf"))) {}

    // A file beside the settings.
    QString besideSettings(const QString &name) const { return folder.filePath(name); }
};
