#pragma once

#include <QString>
#include <QStringList>

// What a settings file holds on disk right now. QSettings keeps the files it has read in a cache
// of its own, so the file is read through a fresh copy.
QStringList codesOnDisk(const QString &file);
