#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

// One family for text that mixes Japanese and Latin, so that the digits and brackets beside kana
// come from the same face on every line of the strip, the menus and the watch-list table.
class FontChoice {
public:
    // The user's family when it covers Japanese; else the desktop's Japanese sans-serif, else
    // Noto Sans CJK JP, whichever is installed; else the user's all the same.
    static QString family(const QString &userFamily, const QStringList &japaneseFamilies,
                          const QString &desktopJapaneseFamily);
    // The user's font with that family, from what the font database and the desktop offer.
    static QFont interfaceFont(const QFont &userFont);
    // The application's font, and those a platform theme gives menus, labels, tables and the
    // like, each made the interface font of itself.
    static void useForApplication();
};
