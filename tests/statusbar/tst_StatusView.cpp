#include <memory>

#include <QMouseEvent>
#include <QPainter>
#include <QPicture>
#include <QtTest>

#include "StatusView.h"

namespace {

class RecordingDelegate : public QObject, public StatusViewDelegate {
public:
    void mouseDown(QMouseEvent *event) override { events.append(event); }
    QList<QMouseEvent *> events;
};

// Records the presses and paints a widget receives.
class EventLog : public QObject {
public:
    explicit EventLog(QWidget *widget) { widget->installEventFilter(this); }
    bool eventFilter(QObject *, QEvent *event) override {
        presses += event->type() == QEvent::MouseButtonPress;
        if (event->type() == QEvent::Paint)
            painted += static_cast<QPaintEvent *>(event)->region();
        return false;
    }
    int presses = 0;
    QRegion painted;
};

// A QPicture records the view's drawing before the paint system clips it to the dirty region,
// so replaying it onto a clear image shows everything the view itself covers.
QImage drawing(StatusView &view, const QRect &dirty) {
    QPicture picture;
    view.render(&picture, dirty.topLeft(), dirty, QWidget::DrawChildren);
    QImage image(view.size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    picture.play(&painter);
    return image;
}

QImage filled(const QSize &size, const QColor &colour) {
    QImage image(size, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

} // namespace

class tst_StatusView : public QObject {
    Q_OBJECT
private slots:
    void paintsHighlightOverWholeViewOnlyWhileHighlighted() {
        StatusView view;
        view.resize(60, 22);
        const QImage clear = filled(view.size(), Qt::transparent);
        QVERIFY(!view.highlighted());
        QCOMPARE(drawing(view, view.rect()), clear);

        view.setHighlighted(true);
        const QColor highlight = QGuiApplication::palette().color(QPalette::Highlight);
        QCOMPARE(drawing(view, QRect(50, 16, 6, 4)), filled(view.size(), highlight));

        view.setHighlighted(false);
        QCOMPARE(drawing(view, view.rect()), clear);
    }

    void everySetterCallRepaintsWholeView() {
        StatusView view;
        view.resize(60, 22);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QCoreApplication::processEvents();
        EventLog log(&view);
        for (bool value : {false, false, true, true}) {
            QCoreApplication::processEvents();
            QVERIFY(log.painted.isEmpty());
            view.setHighlighted(value);
            QTRY_VERIFY(QRegion(view.rect()).subtracted(log.painted).isEmpty());
            log.painted = {};
        }
    }

    void mousePressGoesToDelegateOnly() {
        QWidget bar;
        EventLog barLog(&bar);
        auto *view = new StatusView(&bar);
        RecordingDelegate delegate;
        view->setDelegate(&delegate);
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(3, 3), view->mapToGlobal(QPointF(3, 3)),
                          Qt::RightButton, Qt::RightButton, Qt::NoModifier);

        QCoreApplication::sendEvent(view, &press);
        QCOMPARE(delegate.events, QList<QMouseEvent *>{&press});
        QTest::mouseClick(view, Qt::LeftButton);
        QCOMPARE(delegate.events.size(), 2);
        QCOMPARE(barLog.presses, 0);
    }

    void mousePressWithoutDelegateDoesNothing() {
        QWidget bar;
        EventLog barLog(&bar);
        auto *view = new StatusView(&bar);
        QTest::mouseClick(view, Qt::LeftButton);

        RecordingDelegate kept;
        view->setDelegate(&kept);
        view->setDelegate(nullptr);
        QTest::mouseClick(view, Qt::LeftButton);
        QCOMPARE(kept.events.size(), 0);

        auto gone = std::make_unique<RecordingDelegate>();
        view->setDelegate(gone.get());
        gone.reset();
        QCOMPARE(view->delegate(), nullptr);
        QTest::mouseClick(view, Qt::LeftButton);
        QCOMPARE(barLog.presses, 0);
    }
};

QTEST_MAIN(tst_StatusView)
#include "tst_StatusView.moc"
