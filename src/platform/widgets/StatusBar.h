#pragma once

#include <QMetaObject>
#include <QPointer>
#include <QRect>
#include <QWidget>

class QMenu;
class QScreen;

// The desktop's status bar with our one status item: a frameless, always-on-top strip at the
// top-right of the primary screen's available area that holds the item's view, never takes
// focus, and reserves its place from maximised windows and other docks.
class StatusBar : public QWidget {
    Q_OBJECT
public:
    explicit StatusBar(QWidget *parent = nullptr);

    // The strip takes the view as its child (deleting an earlier one); the strip's width follows
    // the view's size hint, or its width when it has none, within its minimum and maximum width.
    void setView(QWidget *view);
    QWidget *view() const;

    // The strip's height: one menu bar, readable at the desktop's font size.
    int thickness() const;

    // Shows the menu directly under the item, inside the screen's available area, and returns at
    // once; the menu's aboutToHide tells when it has closed.
    void popUpMenu(QMenu *menu);

    // A Wayland client cannot place its own windows, so unless the user chose a platform, a
    // Wayland session with XWayland runs us on xcb. Call before the application object exists.
    static void preferXcbOnWayland();

protected:
    bool event(QEvent *event) override;

private:
    void watchPrimaryScreen();
    void anchor();
    QRect unreservedArea() const;
    void reserve(const QRect &geometry);
    int itemWidth() const;
    QPoint menuPosition(const QSize &menuSize) const;

    QPointer<QWidget> m_view;
    QPointer<QScreen> m_screen;
    QMetaObject::Connection m_geometryWatch;
    QMetaObject::Connection m_availableGeometryWatch;
    QRect m_reserved; // what the strip asked window managers to keep free, on the screen
};
