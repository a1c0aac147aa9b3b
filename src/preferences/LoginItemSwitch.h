#pragma once

#include <QString>

#include "LoginItems.h"

// Whether the program starts at login, and the switch that puts it into the user's login items
// or takes it out: what the preferences window's launch check box reads and changes.
class LoginItemSwitch {
public:
    explicit LoginItemSwitch(LoginItems loginItems = LoginItems(),
                             QString applicationPath = LoginItems::applicationPath());

    // True when some login item belongs to the program.
    bool isEnableLoginItem() const;
    // Adds an item that starts the program, without looking whether there is one already.
    bool enableLoginItem() const;
    // Removes the first item that belongs to the program; later ones stay. False when there was
    // none or it could not be removed.
    bool disableLoginItem() const;

    // The program itself, or a path inside a folder of that name; a program whose name merely
    // begins with the same characters is another program.
    bool belongsToApplication(const QString &programPath) const;

private:
    const LoginItems m_loginItems;
    const QString m_applicationPath;
};
