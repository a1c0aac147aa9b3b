#include <functional>

#include <QLabel>
#include <QMenu>
#include <QScopeGuard>
#include <QScreen>
#include <QtTest>

#include "StatusBar.h"

using ScreenChange = std::function<void()>;
Q_DECLARE_METATYPE(ScreenChange)

namespace {

QScreen *primary() {
    return QGuiApplication::primaryScreen();
}

QRect area() {
    return primary()->availableGeometry();
}

QWidget *viewOfWidth(int width) {
    auto *view = new QWidget;
    view->setFixedWidth(width);
    return view;
}

} // namespace

class tst_StatusBar : public QObject {
    Q_OBJECT
private slots:
    void sitsAtTopRightAndFollowsView() {
        StatusBar bar;
        auto *label = new QLabel(QStringLiteral("7203"));
        bar.setView(label);
        bar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&bar));
        QCOMPARE(bar.screen(), primary());
        QCOMPARE(bar.geometry().topRight(), area().topRight());
        QCOMPARE(bar.size(), QSize(label->sizeHint().width(), bar.thickness()));
        QCOMPARE(label->geometry(), bar.rect());

        label->setText(QStringLiteral("7203  2,345"));
        QTRY_COMPARE(bar.width(), label->sizeHint().width());
        bar.hide();
        label->setText(QStringLiteral("7"));
        bar.show();
        QCOMPARE(bar.width(), label->sizeHint().width());
        QFont large = bar.font();
        large.setPixelSize(40);
        bar.setFont(large);
        QVERIFY(bar.thickness() > QFontMetrics(large).height());
        QCOMPARE(bar.height(), bar.thickness());
        QCOMPARE(bar.geometry().topRight(), area().topRight());
        QCOMPARE(label->geometry(), bar.rect());

        auto *sized = new QWidget; // a view without a size hint keeps its own width
        sized->resize(120, 10);
        bar.setView(sized);
        QCOMPARE(bar.width(), 120);
        sized->setFixedWidth(90);
        QTRY_COMPARE(bar.width(), 90);
        QCOMPARE(bar.geometry().topRight(), area().topRight());
    }

    void returnsToCornerWhenScreensChange_data() {
        // The offscreen platform cannot change its screens while running: send its signals.
        QTest::addColumn<ScreenChange>("change");
        QTest::newRow("area") << ScreenChange([] { emit primary()->availableGeometryChanged({}); });
        QTest::newRow("geometry") << ScreenChange([] { emit primary()->geometryChanged({}); });
        QTest::newRow("primary, then area") << ScreenChange([] {
            emit qGuiApp->primaryScreenChanged(primary());
            emit primary()->availableGeometryChanged({});
        });
        QTest::newRow("added") << ScreenChange([] { emit qGuiApp->screenAdded(primary()); });
    }
    void returnsToCornerWhenScreensChange() {
        QFETCH(ScreenChange, change);
        StatusBar bar;
        bar.setView(viewOfWidth(100));
        bar.show();
        bar.move(area().topLeft());
        QTRY_COMPARE(bar.pos(), area().topLeft());
        change();
        QCOMPARE(bar.geometry().topRight(), area().topRight());
    }

    void neverTakesFocus() {
        StatusBar bar;
        bar.setView(viewOfWidth(100));
        bar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&bar));
        QCOMPARE(bar.windowType(), Qt::Tool);
        QVERIFY(bar.windowHandle()->flags().testFlags(
            Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus));
        QVERIFY(bar.testAttribute(Qt::WA_ShowWithoutActivating));
        QCOMPARE(bar.focusPolicy(), Qt::NoFocus);
    }

    void popsMenuUpUnderItemOnScreen_data() {
        QTest::addColumn<int>("itemWidth");
        QTest::addColumn<QString>("entry");
        QTest::newRow("narrower than the item") << 300 << QStringLiteral("A");
        QTest::newRow("wider than the item") << 40 << QStringLiteral("[7203] Toyota / 2,345 (+12)");
    }
    void popsMenuUpUnderItemOnScreen() {
        QFETCH(int, itemWidth);
        QFETCH(QString, entry);
        StatusBar bar;
        bar.setView(viewOfWidth(itemWidth));
        bar.show();
        QMenu menu;
        menu.addAction(entry);
        bar.popUpMenu(&menu);
        QVERIFY(menu.isVisible());
        const QRect shown = menu.geometry();
        QCOMPARE(shown.top(), bar.geometry().bottom() + 1);
        QVERIFY(area().contains(shown));
        if (shown.width() <= itemWidth)
            QCOMPARE(shown.left(), bar.x());
        else
            QCOMPARE(shown.right(), area().right());
    }

    void prefersXcbOnWaylandUnlessChosen_data() {
        QTest::addColumn<QByteArrayList>("environment"); // platform, wayland, session, display
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("Wayland with XWayland")
            << QByteArrayList{{}, "wayland-0", {}, ":0"} << QByteArray("xcb");
        QTest::newRow("Wayland session")
            << QByteArrayList{{}, {}, "wayland", ":0"} << QByteArray("xcb");
        QTest::newRow("chosen") << QByteArrayList{"wayland", "wayland-0", {}, ":0"}
                                << QByteArray("wayland");
        QTest::newRow("no XWayland")
            << QByteArrayList{{}, "wayland-0", "wayland", {}} << QByteArray("");
        QTest::newRow("X11") << QByteArrayList{{}, {}, "x11", ":0"} << QByteArray("");
    }
    void prefersXcbOnWaylandUnlessChosen() {
        QFETCH(QByteArrayList, environment);
        QFETCH(QByteArray, expected);
        const char *names[] = {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "XDG_SESSION_TYPE", "DISPLAY"};
        QByteArrayList saved;
        for (int i = 0; i < 4; ++i) {
            saved.append(qEnvironmentVariableIsSet(names[i]) ? qgetenv(names[i]) : QByteArray());
            environment[i].isNull() ? qunsetenv(names[i]) : qputenv(names[i], environment[i]);
        }
        const auto restore = qScopeGuard([&] {
            for (int i = 0; i < 4; ++i)
                saved[i].isNull() ? qunsetenv(names[i]) : qputenv(names[i], saved[i]);
        });
        StatusBar::preferXcbOnWayland();
        QCOMPARE(qgetenv("QT_QPA_PLATFORM"), expected);
    }
};

QTEST_MAIN(tst_StatusBar)
#include "tst_StatusBar.moc"
