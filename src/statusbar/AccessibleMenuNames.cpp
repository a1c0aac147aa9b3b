#include "AccessibleMenuNames.h"

#include <QAccessible>
#include <QAction>
#include <QActionEvent>
#include <QMenu>

AccessibleMenuNames::AccessibleMenuNames(QMenu &menu)
    : QObject(&menu) {
    menu.installEventFilter(this);
}

bool AccessibleMenuNames::eventFilter(QObject *, QEvent *event) {
    if (event->type() == QEvent::ActionChanged)
        announce(static_cast<QActionEvent *>(event)->action());
    else if (event->type() == QEvent::ActionRemoved)
        m_announced.remove(static_cast<QActionEvent *>(event)->action());
    return false;
}

void AccessibleMenuNames::announce(QAction *line) {
    if (!QAccessible::isActive())
        return;
    const QString text = line->text();
    const auto announced = m_announced.constFind(line);
    if (announced != m_announced.cend() && *announced == text)
        return; // an icon or a tooltip changed
    m_announced.insert(line, text);
    // Only a line a client has asked about has an interface, and only that client needs telling.
    QAccessibleInterface *item = QAccessible::queryAccessibleInterface(line);
    if (!item)
        return;
    QAccessibleEvent changed(item, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&changed);
}
