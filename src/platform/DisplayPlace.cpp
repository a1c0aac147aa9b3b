#include "DisplayPlace.h"

DisplayPlace::Surface DisplayPlace::decide(const QString &choice, const QString &currentDesktop,
                                           bool watcherPresent, bool sntrayPresent) {
    if (!watcherPresent || choice == QLatin1String("strip"))
        return Surface::Strip;
    if (choice == QLatin1String("panel"))
        return Surface::Panel;
    return hidesLabels(currentDesktop, sntrayPresent) ? Surface::Strip : Surface::Panel;
}

bool DisplayPlace::hidesLabels(const QString &currentDesktop, bool sntrayPresent) {
    const QStringList desktops = currentDesktop.split(u':', Qt::SkipEmptyParts);
    const auto names = [&desktops](const char *name) {
        return desktops.contains(QLatin1String(name), Qt::CaseInsensitive);
    };
    return names("KDE") || names("LXQt") || (names("XFCE") && !sntrayPresent);
}
