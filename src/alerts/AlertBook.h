#pragma once

#include <optional>

#include <QHash>
#include <QString>
#include <QStringList>

#include "AlertRules.h"

class StockManager;
class UserDefaults;

// The alert rules of the watched securities, kept under UserDefaults::KEY_ALERTS as one entry per
// security, "CODE;above=3000;below=2500;change=3". An entry that does not read as that, or whose
// thresholds would be refused at entry, is ignored; so is one of a code not in the watch list at
// launch. Both
// stay in the file as they are until the user next changes an alert, which writes the entries of
// the listed securities alone.
class AlertBook {
public:
    AlertBook(UserDefaults &defaults, const StockManager &stockManager);
    AlertBook(const AlertBook &) = delete;
    AlertBook &operator=(const AlertBook &) = delete;

    AlertRules rules(const QString &code) const;
    // False when the rules could not be saved; they hold for this run all the same.
    bool setRules(const QString &code, const AlertRules &rules);

    static QString entry(const QString &code, const AlertRules &rules);
    // The code and its rules; none for an entry that is not one.
    static std::optional<std::pair<QString, AlertRules>> parseEntry(const QString &entry);

private:
    bool save();

    UserDefaults &m_defaults;
    const StockManager &m_stockManager;
    QHash<QString, AlertRules> m_rules;
};
