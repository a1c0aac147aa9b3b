#pragma once

#include <memory>
#include <optional>
#include <utility>

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include "Holding.h"

class Stock;
class StockManager;
class UserDefaults;

// The holdings of the watched securities, kept under UserDefaults::KEY_HOLDINGS as one entry per
// security, "CODE;shares=100;cost=2450.5". An entry that does not read as that, or whose values
// would be refused at entry, is ignored, as is one of a code not in the watch list at launch; both
// stay in the file as they are until the user next changes a holding, which writes the entries
// of the listed securities alone. A security that leaves the list takes its holding along.
class HoldingBook {
public:
    HoldingBook(UserDefaults &defaults, const StockManager &stockManager);
    HoldingBook(const HoldingBook &) = delete;
    HoldingBook &operator=(const HoldingBook &) = delete;

    std::optional<Holding> holding(const QString &code) const;
    bool isEmpty() const { return m_holdings.isEmpty(); }
    // None removes it. False when the holdings could not be saved; they hold for this run all
    // the same.
    bool setHolding(const QString &code, const std::optional<Holding> &holding);
    // Main thread, after a change of the watch list.
    void followList(const QList<std::shared_ptr<Stock>> &stocks);

    static QString entry(const QString &code, const Holding &holding);
    // The code and its holding; none for an entry that is not one.
    static std::optional<std::pair<QString, Holding>> parseEntry(const QString &entry);

private:
    bool save();

    UserDefaults &m_defaults;
    const StockManager &m_stockManager;
    QHash<QString, Holding> m_holdings;
    QSet<QString> m_listed;
};
