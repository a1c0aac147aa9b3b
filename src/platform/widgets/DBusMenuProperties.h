#pragma once

#include <QString>
#include <QStringList>
#include <QVariantMap>

class QAction;

// A menu action as com.canonical.dbusmenu describes an item: only the properties whose value
// differs from the protocol's default.
namespace DBusMenuProperties {

QVariantMap of(const QAction &action);
// The root item, which only opens the menu.
QVariantMap ofRoot();
// Qt's mnemonic marks in the protocol's: "&F" becomes "_F", "&&" a plain "&", "_" doubled.
QString label(const QString &text);
// Just the named properties; all of them when `names` is empty.
QVariantMap only(const QVariantMap &properties, const QStringList &names);

} // namespace DBusMenuProperties
