#pragma once

#include <QDBusArgument>

#include "StatusNotifierItem.h"

// How the status item's icon pixels, a(iiay), and tool tip, (sa(iiay)ss), travel on the bus.
QDBusArgument &operator<<(QDBusArgument &argument, const StatusNotifierPixmap &pixmap);
const QDBusArgument &operator>>(const QDBusArgument &argument, StatusNotifierPixmap &pixmap);
QDBusArgument &operator<<(QDBusArgument &argument, const StatusNotifierToolTip &toolTip);
const QDBusArgument &operator>>(const QDBusArgument &argument, StatusNotifierToolTip &toolTip);

// Tells QtDBus about those types; safe to call more than once.
void registerStatusNotifierDBusTypes();
