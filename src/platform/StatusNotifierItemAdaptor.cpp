#include "StatusNotifierItemAdaptor.h"

#include "StatusNotifierDBusTypes.h"

StatusNotifierItemAdaptor::StatusNotifierItemAdaptor(StatusNotifierItem *item)
    : QDBusAbstractAdaptor(item)
    , m_item(item) {
    registerStatusNotifierDBusTypes();
    connect(item, &StatusNotifierItem::titleChanged, this, &StatusNotifierItemAdaptor::NewTitle);
    connect(item, &StatusNotifierItem::iconChanged, this, &StatusNotifierItemAdaptor::NewIcon);
    connect(item, &StatusNotifierItem::iconThemePathChanged, this,
            [this] { emit NewIconThemePath(iconThemePath()); });
    connect(item, &StatusNotifierItem::toolTipChanged, this,
            &StatusNotifierItemAdaptor::NewToolTip);
    connect(item, &StatusNotifierItem::statusChanged, this, [this] { emit NewStatus(status()); });
    connect(item, &StatusNotifierItem::labelChanged, this,
            [this] { emit XAyatanaNewLabel(label(), labelGuide()); });
}

QString StatusNotifierItemAdaptor::status() const {
    switch (m_item->status()) {
    case StatusNotifierItem::Status::Passive:
        return QStringLiteral("Passive");
    case StatusNotifierItem::Status::NeedsAttention:
        return QStringLiteral("NeedsAttention");
    case StatusNotifierItem::Status::Active:
        break;
    }
    return QStringLiteral("Active");
}

// A path the bus would refuse goes out as "/", the protocol's "no menu".
QDBusObjectPath StatusNotifierItemAdaptor::menu() const {
    const QDBusObjectPath path(m_item->menuPath());
    return path.path().isEmpty() ? QDBusObjectPath(QStringLiteral("/")) : path;
}

void StatusNotifierItemAdaptor::Activate(int x, int y) {
    emit m_item->activateRequested(QPoint(x, y));
}

void StatusNotifierItemAdaptor::SecondaryActivate(int x, int y) {
    emit m_item->secondaryActivateRequested(QPoint(x, y));
}

void StatusNotifierItemAdaptor::ContextMenu(int x, int y) {
    emit m_item->contextMenuRequested(QPoint(x, y));
}

void StatusNotifierItemAdaptor::Scroll(int delta, const QString &orientation) {
    const bool horizontal =
        orientation.compare(QLatin1String("horizontal"), Qt::CaseInsensitive) == 0;
    emit m_item->scrollRequested(delta, horizontal ? Qt::Horizontal : Qt::Vertical);
}
