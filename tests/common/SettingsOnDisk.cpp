#include "SettingsOnDisk.h"

#include <QFile>
#include <QTemporaryDir>

#include "UserDefaults.h"

QStringList codesOnDisk(const QString &file) {
    const QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("kabu-ticker.conf"));
    if (!QFile::copy(file, copy))
        return {QStringLiteral("<no file>")};
    return UserDefaults(copy).value(UserDefaults::KEY_CODES);
}
