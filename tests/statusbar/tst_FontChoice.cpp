#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QtTest>

#include "FontChoice.h"

// Which family the interface takes, from the user's, the desktop's and the installed ones.
class tst_FontChoice : public QObject {
    Q_OBJECT
private slots:
    void family_data() {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QStringList>("japanese");
        QTest::addColumn<QString>("desktop");
        QTest::addColumn<QString>("chosen");
        const QStringList both{"Noto Sans CJK JP", "IPAexGothic"};
        QTest::newRow("user's covers Japanese") << "IPAexGothic" << both << "Noto Sans CJK JP"
                                                << "IPAexGothic";
        QTest::newRow("user's in another case") << "ipaexgothic" << both << ""
                                                << "ipaexgothic";
        QTest::newRow("desktop's default first") << "DejaVu Sans" << both << "IPAexGothic"
                                                 << "IPAexGothic";
        QTest::newRow("no desktop default") << "DejaVu Sans" << both << ""
                                            << "Noto Sans CJK JP";
        QTest::newRow("desktop's not installed") << "DejaVu Sans" << both << "Takao Gothic"
                                                 << "Noto Sans CJK JP";
        QTest::newRow("nothing covers Japanese") << "DejaVu Sans" << QStringList() << ""
                                                 << "DejaVu Sans";
        QTest::newRow("only another family") << "DejaVu Sans" << QStringList{"IPAexGothic"} << ""
                                             << "DejaVu Sans";
    }
    void family() {
        QFETCH(QString, user);
        QFETCH(QStringList, japanese);
        QFETCH(QString, desktop);
        QFETCH(QString, chosen);
        QCOMPARE(FontChoice::family(user, japanese, desktop), chosen);
    }

    // On this machine: a Latin-only default becomes a family with Japanese, size and weight kept.
    void interfaceFontCoversJapanese() {
        const QStringList japanese = QFontDatabase::families(QFontDatabase::Japanese);
        if (japanese.isEmpty() || !QFontDatabase::hasFamily(QStringLiteral("DejaVu Sans")))
            QSKIP("needs DejaVu Sans and a Japanese font (fonts-noto-cjk)");
        QFont latin(QStringLiteral("DejaVu Sans"), 11, QFont::Bold);
        const QFont font = FontChoice::interfaceFont(latin);
        QVERIFY2(japanese.contains(QFontInfo(font).family()), qPrintable(QFontInfo(font).family()));
        QCOMPARE(font.pointSize(), 11);
        QCOMPARE(font.weight(), QFont::Bold);
        // A font that has Japanese stays as it is.
        const QFont kept(japanese.first(), 9);
        QCOMPARE(FontChoice::interfaceFont(kept), kept);
    }
};

QTEST_MAIN(tst_FontChoice)
#include "tst_FontChoice.moc"
