#include "LoginItemSwitch.h"

#include <algorithm>
#include <utility>

LoginItemSwitch::LoginItemSwitch(LoginItems loginItems, QString applicationPath)
    : m_loginItems(std::move(loginItems))
    , m_applicationPath(std::move(applicationPath)) {}

bool LoginItemSwitch::isEnableLoginItem() const {
    const QList<LoginItems::Item> items = m_loginItems.items();
    return std::any_of(items.cbegin(), items.cend(), [this](const LoginItems::Item &item) {
        return belongsToApplication(item.resolvedPath);
    });
}

bool LoginItemSwitch::enableLoginItem() const {
    return !m_applicationPath.isEmpty() && m_loginItems.insertItem(m_applicationPath);
}

bool LoginItemSwitch::disableLoginItem() const {
    const QList<LoginItems::Item> items = m_loginItems.items();
    for (const LoginItems::Item &item : items) {
        if (belongsToApplication(item.resolvedPath))
            return m_loginItems.removeItem(item);
    }
    return false;
}

bool LoginItemSwitch::belongsToApplication(const QString &programPath) const {
    if (m_applicationPath.isEmpty() || programPath.isEmpty())
        return false;
    return programPath == m_applicationPath || programPath.startsWith(m_applicationPath + u'/');
}
