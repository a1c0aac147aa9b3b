#include "FontChoice.h"

#include <QApplication>
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

namespace {

// What a choice needs besides the font: looked up once for all the fonts of a start, since each
// look-up goes through every installed font.
struct JapaneseFamilies {
    QStringList installed = QFontDatabase::families(QFontDatabase::Japanese);
    QString desktop = DesktopFonts::japaneseSansFamily();
};

QFont chosenFont(const QFont &userFont, const JapaneseFamilies &japanese) {
    // The family actually drawn, which for an alias such as "Sans Serif" is the one it stands for.
    const QString drawn = QFontInfo(userFont).family();
    const QString chosen = FontChoice::family(drawn, japanese.installed, japanese.desktop);
    QFont font = userFont;
    if (chosen != drawn)
        font.setFamilies({chosen});
    return font;
}

} // namespace

QFont FontChoice::interfaceFont(const QFont &userFont) {
    return chosenFont(userFont, JapaneseFamilies());
}

void FontChoice::useForApplication() {
    // The classes Qt gives a platform theme's fonts to.
    static const char *const themedClasses[] = {
        "QMenu",          "QMenuBar",      "QMenuItem",         "QMessageBox", "QLabel",
        "QTipLabel",      "QStatusBar",    "QDockWidgetTitle",  "QPushButton", "QCheckBox",
        "QRadioButton",   "QToolButton",   "QAbstractItemView", "QListView",   "QHeaderView",
        "QComboMenuItem", "QComboLineEdit"};
    // Read before the default changes: a class without a font of its own reads the default.
    const JapaneseFamilies japanese;
    QList<QFont> themed;
    for (const char *className : themedClasses)
        themed.append(chosenFont(QApplication::font(className), japanese));
    QApplication::setFont(chosenFont(QApplication::font(), japanese));
    for (qsizetype i = 0; i < themed.size(); ++i)
        QApplication::setFont(themed.at(i), themedClasses[i]);
}
