#include <QtTest>

#include "DisplayPlace.h"

using Surface = DisplayPlace::Surface;

class tst_DisplayPlace : public QObject {
    Q_OBJECT

private slots:
    void choosesTheSurface_data() {
        QTest::addColumn<QString>("choice");
        QTest::addColumn<QString>("desktop");
        QTest::addColumn<bool>("watcher");
        QTest::addColumn<bool>("sntray");
        QTest::addColumn<Surface>("expected");
        QTest::newRow("MATE draws labels") << "auto"
                                           << "MATE" << true << false << Surface::Panel;
        QTest::newRow("no watcher, no panel item") << "auto"
                                                   << "MATE" << false << false << Surface::Strip;
        QTest::newRow("GNOME in a list") << "auto"
                                         << "ubuntu:GNOME" << true << false << Surface::Panel;
        QTest::newRow("an unnamed desktop") << "auto"
                                            << "" << true << false << Surface::Panel;
        QTest::newRow("KDE hides labels") << "auto"
                                          << "KDE" << true << false << Surface::Strip;
        QTest::newRow("LXQt hides labels") << "auto"
                                           << "LXQt" << true << false << Surface::Strip;
        QTest::newRow("XFCE's own tray") << "auto"
                                         << "XFCE" << true << false << Surface::Strip;
        QTest::newRow("XFCE with sntray") << "auto"
                                          << "XFCE" << true << true << Surface::Panel;
        QTest::newRow("names in any case") << "auto"
                                           << "x-generic:kde" << true << false << Surface::Strip;
        QTest::newRow("the panel asked for on KDE") << "panel"
                                                    << "KDE" << true << false << Surface::Panel;
        QTest::newRow("the panel asked for, no watcher")
            << "panel"
            << "MATE" << false << false << Surface::Strip;
        QTest::newRow("the strip asked for") << "strip"
                                             << "MATE" << true << false << Surface::Strip;
        QTest::newRow("an unknown choice is automatic") << "dock"
                                                        << "KDE" << true << false << Surface::Strip;
    }
    void choosesTheSurface() {
        QFETCH(QString, choice);
        QFETCH(QString, desktop);
        QFETCH(bool, watcher);
        QFETCH(bool, sntray);
        QFETCH(Surface, expected);
        QCOMPARE(DisplayPlace::decide(choice, desktop, watcher, sntray), expected);
    }
};

QTEST_APPLESS_MAIN(tst_DisplayPlace)
#include "tst_DisplayPlace.moc"
