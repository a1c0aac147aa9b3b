#include "DesktopHints.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QWidget>

namespace {

struct FreeDeleter {
    void operator()(void *reply) const { std::free(reply); }
};

xcb_atom_t atom(xcb_connection_t *connection, const char *name) {
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, uint16_t(qstrlen(name)), name);
    const std::unique_ptr<xcb_intern_atom_reply_t, FreeDeleter> reply(
        xcb_intern_atom_reply(connection, cookie, nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

template <std::size_t N>
void setProperty(xcb_connection_t *connection, xcb_window_t window, const char *name,
                 xcb_atom_t type, const std::array<uint32_t, N> &values) {
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, atom(connection, name), type, 32,
                        uint32_t(N), values.data());
}

// The offscreen platform answers as an X11 application too, without a connection.
xcb_connection_t *x11Connection() {
    const auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

} // namespace

void DesktopHints::makePanelItem(QWidget *window) {
    xcb_connection_t *const connection = x11Connection();
    if (!window || !connection)
        return;
    const auto id = xcb_window_t(window->winId()); // creates the native window
    // A dock is what panels are: window managers keep it above, on every workspace, out of task
    // lists and unfocused. The states say the same to those that treat docks otherwise.
    setProperty(connection, id, "_NET_WM_WINDOW_TYPE", XCB_ATOM_ATOM,
                std::array{atom(connection, "_NET_WM_WINDOW_TYPE_DOCK")});
    setProperty(connection, id, "_NET_WM_STATE", XCB_ATOM_ATOM,
                std::array{atom(connection, "_NET_WM_STATE_STICKY"),
                           atom(connection, "_NET_WM_STATE_SKIP_TASKBAR"),
                           atom(connection, "_NET_WM_STATE_SKIP_PAGER"),
                           atom(connection, "_NET_WM_STATE_ABOVE")});
    setProperty(connection, id, "_NET_WM_DESKTOP", XCB_ATOM_CARDINAL,
                std::array<uint32_t, 1>{0xFFFFFFFFu});
    xcb_flush(connection);
}

void DesktopHints::reserveTopEdge(QWidget *window, const QRect &geometry) {
    xcb_connection_t *const connection = x11Connection();
    if (!window || !connection)
        return;
    const auto id = xcb_window_t(window->winId());
    // Struts count X pixels from the root window's edges. Qt scales a window's place about its
    // screen's top-left corner, which stays unscaled, and rounds place and size apart.
    const QPoint origin = window->screen()->geometry().topLeft();
    const qreal ratio = window->devicePixelRatioF();
    const QRect band(origin + (QPointF(geometry.topLeft() - origin) * ratio).toPoint(),
                     (QSizeF(geometry.size()) * ratio).toSize());
    const bool reserved = !band.isEmpty() && band.bottom() >= 0;
    const auto top = uint32_t(reserved ? band.bottom() + 1 : 0);
    const auto startX = uint32_t(reserved ? std::max(0, band.left()) : 0);
    const auto endX = uint32_t(reserved ? std::max(0, band.right()) : 0);
    // Left, right, top, bottom; then the start and end of each along its edge.
    setProperty(connection, id, "_NET_WM_STRUT_PARTIAL", XCB_ATOM_CARDINAL,
                std::array<uint32_t, 12>{0, 0, top, 0, 0, 0, 0, 0, startX, endX, 0, 0});
    // Window managers without the partial form reserve the whole width of the edge.
    setProperty(connection, id, "_NET_WM_STRUT", XCB_ATOM_CARDINAL,
                std::array<uint32_t, 4>{0, 0, top, 0});
    xcb_flush(connection);
}
