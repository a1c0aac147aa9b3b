#pragma once

#include <QHash>
#include <QObject>
#include <QString>

class QAction;
class QMenu;

// Tells screen readers when a line of a menu is given a new text. Qt keeps one accessible
// interface per action and announces nothing when an action's text changes, so an AT-SPI client
// keeps the name it read first, and a menu that reuses its actions is heard out of date.
class AccessibleMenuNames : public QObject {
public:
    // Watches the menu, which owns this object.
    explicit AccessibleMenuNames(QMenu &menu);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void announce(QAction *line);

    QHash<const QAction *, QString> m_announced; // the text last announced for each line
};
