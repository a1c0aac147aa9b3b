#include "FontChoice.h"

#include <QFontDatabase>
#include <QFontInfo>

#include "DesktopFonts.h"

QString FontChoice::family(const QString &userFamily, const QStringList &japaneseFamilies,
                           const QString &desktopJapaneseFamily) {
    for (const QString &candidate :
         {userFamily, desktopJapaneseFamily, QStringLiteral("Noto Sans CJK JP")}) {
        if (!candidate.isEmpty() && japaneseFamilies.contains(candidate, Qt::CaseInsensitive))
            return candidate;
    }
    return userFamily;
}

QFont FontChoice::interfaceFont(const QFont &userFont) {
    // The family actually drawn, which for an alias such as "Sans Serif" is the one it stands for.
    const QString drawn = QFontInfo(userFont).family();
    const QString chosen = family(drawn, QFontDatabase::families(QFontDatabase::Japanese),
                                  DesktopFonts::japaneseSansFamily());
    QFont font = userFont;
    if (chosen != drawn)
        font.setFamilies({chosen});
    return font;
}
