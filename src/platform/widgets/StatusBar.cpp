#include "StatusBar.h"

#include <QApplication>
#include <QEvent>
#include <QMenu>
#include <QScreen>

#include "DesktopHints.h"

StatusBar::StatusBar(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowDoesNotAcceptFocus) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    connect(qApp, &QGuiApplication::primaryScreenChanged, this, &StatusBar::watchPrimaryScreen);
    connect(qApp, &QGuiApplication::screenAdded, this, &StatusBar::anchor);
    connect(qApp, &QGuiApplication::screenRemoved, this, &StatusBar::anchor);
    watchPrimaryScreen();
    DesktopHints::makePanelItem(this);
}

void StatusBar::setView(QWidget *view) {
    if (view == m_view)
        return;
    if (m_view) {
        m_view->hide();
        m_view->deleteLater();
    }
    m_view = view;
    if (m_view) {
        m_view->setParent(this);
        m_view->show();
    }
    anchor();
}

QWidget *StatusBar::view() const {
    return m_view;
}

int StatusBar::thickness() const {
    // A line of text with a little air above and below, never thinner than a classic menu bar.
    return qMax(22, fontMetrics().height() + 6);
}

void StatusBar::popUpMenu(QMenu *menu) {
    if (menu && m_screen)
        menu->popup(menuPosition(menu->sizeHint()));
}

void StatusBar::preferXcbOnWayland() {
    const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
                         qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland");
    if (wayland && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
        !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
}

bool StatusBar::event(QEvent *event) {
    switch (event->type()) {
    case QEvent::LayoutRequest: // the view's size hint has changed
    case QEvent::FontChange:    // and with it the thickness
    case QEvent::StyleChange:
    case QEvent::Show: // size hints change while hidden without telling us
        anchor();
        break;
    case QEvent::Hide: // window managers forget the struts of a window that is not shown
        m_reserved = QRect();
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

void StatusBar::watchPrimaryScreen() {
    disconnect(m_geometryWatch);
    disconnect(m_availableGeometryWatch);
    m_screen = QGuiApplication::primaryScreen();
    if (m_screen) {
        setScreen(m_screen);
        m_geometryWatch = connect(m_screen, &QScreen::geometryChanged, this, &StatusBar::anchor);
        m_availableGeometryWatch =
            connect(m_screen, &QScreen::availableGeometryChanged, this, &StatusBar::anchor);
    }
    anchor();
}

void StatusBar::anchor() {
    if (!m_screen)
        return;
    const QRect area = unreservedArea();
    const int width = m_view ? itemWidth() : 0;
    setGeometry(area.right() + 1 - width, area.top(), width, thickness());
    if (m_view)
        m_view->setGeometry(rect());
    reserve(isVisible() && width > 0 ? geometry() : QRect());
}

// Window managers take the strip's own reservation out of the available area, which would push
// the strip below itself on every change; other panels' reservations still count.
QRect StatusBar::unreservedArea() const {
    QRect area = m_screen->availableGeometry();
    if (!m_reserved.isEmpty() && area.top() == m_reserved.bottom() + 1)
        area.setTop(m_reserved.top());
    return area;
}

void StatusBar::reserve(const QRect &geometry) {
    if (geometry == m_reserved)
        return;
    m_reserved = geometry;
    DesktopHints::reserveTopEdge(this, geometry);
}

int StatusBar::itemWidth() const {
    const QSize hint = m_view->sizeHint().expandedTo(m_view->minimumSizeHint());
    const int preferred = hint.width() > 0 ? hint.width() : m_view->width();
    return qBound(m_view->minimumWidth(), preferred, m_view->maximumWidth());
}

QPoint StatusBar::menuPosition(const QSize &menuSize) const {
    // Fitted here: a menu that QMenu has to fit itself may be snapped to the mouse instead.
    const QRect area = m_screen->availableGeometry();
    const int x = qMin(geometry().left(), area.right() + 1 - menuSize.width());
    const int y = geometry().bottom() + 1;
    return {qMax(area.left(), x), qBound(area.top(), y, area.bottom() + 1 - menuSize.height())};
}
