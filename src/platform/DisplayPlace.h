#pragma once

#include <QString>
#include <QStringList>

// Where the ticker shows: as a labelled item in the desktop's panel or in the strip at the
// top-right of the screen, and how the automatic choice picks between them.
class DisplayPlace {
public:
    enum class Surface { Panel, Strip };

    // The choices' keys in the order the preferences list them; the first is the default.
    static inline const QStringList CHOICES{QStringLiteral("auto"), QStringLiteral("panel"),
                                            QStringLiteral("strip")};

    // The panel needs a StatusNotifierWatcher on the session bus; without one every choice
    // falls back to the strip. An unknown choice counts as automatic.
    static Surface decide(const QString &choice, const QString &currentDesktop, bool watcherPresent,
                          bool sntrayPresent);
    // Whether the panels of XDG_CURRENT_DESKTOP (a colon-separated list) show an item's icon
    // but not its label: KDE Plasma, LXQt, and XFCE unless the sntray plugin hosts the items.
    static bool hidesLabels(const QString &currentDesktop, bool sntrayPresent);
};
