#pragma once

#include <cstddef>
#include <type_traits>

#include <QPointer>
#include <QWidget>

#include "StatusViewDelegate.h"

// The status item's view: paints the menu-selection highlight behind its contents while the
// status menu is open, and hands every mouse press to its delegate.
class StatusView : public QWidget {
    Q_OBJECT
public:
    explicit StatusView(QWidget *parent = nullptr);

    bool highlighted() const;
    // Every call repaints the whole view, also when the value stays the same.
    void setHighlighted(bool highlighted);

    // Held weakly: the delegate must be a QObject, so the view notices when it is destroyed.
    template <typename Delegate> void setDelegate(Delegate *delegate) {
        static_assert(std::is_base_of_v<QObject, Delegate> &&
                          std::is_base_of_v<StatusViewDelegate, Delegate>,
                      "a StatusView delegate is a QObject and a StatusViewDelegate");
        m_delegateObject = delegate;
        m_delegate = delegate;
    }
    void setDelegate(std::nullptr_t);
    StatusViewDelegate *delegate() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    bool m_highlighted = false;
    QPointer<QObject> m_delegateObject;
    StatusViewDelegate *m_delegate = nullptr;
};
