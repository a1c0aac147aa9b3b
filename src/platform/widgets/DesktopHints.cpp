#include "DesktopHints.h"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include <xcb/xcb.h>

#include <QGuiApplication>
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

} // namespace

void DesktopHints::makePanelItem(QWidget *window) {
    // The offscreen platform answers as an X11 application too, without a connection.
    const auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *const connection = x11 ? x11->connection() : nullptr;
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
