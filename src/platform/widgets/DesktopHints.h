#pragma once

class QRect;
class QWidget;

// Asks the window manager to treat a top-level window as a panel item: on every workspace, kept
// above other windows, out of taskbars, pagers and task switchers, never given the focus.
// Does nothing where the windowing system has no such hints (Wayland, offscreen).
class DesktopHints {
public:
    // Call before the window is first shown: window managers read most hints when they map it.
    static void makePanelItem(QWidget *window);
    // Keeps maximised windows and other docks out of the band along the screen's top edge that
    // the window's given geometry covers, down to its bottom; an empty geometry frees it.
    static void reserveTopEdge(QWidget *window, const QRect &geometry);
};
