#pragma once

#include <chrono>
#include <memory>
#include <mutex>
#include <optional>

#include <QList>
#include <QString>

#include "FetchPolicy.h"
#include "HttpClient.h"
#include "InterruptibleSleep.h"
#include "QuoteSourceList.h"
#include "Stock.h"
#include "StockManagerDelegate.h"
#include "UpdateFailure.h"

class UserDefaults;

// The one ordered, persistent watch list, with its refresh pass and change notification.
// Safe to use from any thread; the list's lock is never held across a fetch, a pause or a save.
class StockManager {
public:
    // A list kept under UserDefaults::KEY_CODES of the given defaults, starting with the stored
    // codes; the pause is the rest after each fetch of a refresh pass. Quotes come from the
    // source stored under KEY_SOURCE, found in the sources folder, or else from the built-in
    // source of the site at baseURL.
    explicit StockManager(UserDefaults &defaults, QString baseURL = Stock::quoteSiteBaseURL(),
                          std::chrono::milliseconds pause = std::chrono::seconds(1),
                          QString sourceDirectory = QuoteSourceList::standardDirectory());
    StockManager(const StockManager &) = delete;
    StockManager &operator=(const StockManager &) = delete;

    // The program's watch list over the standard user defaults, made by the first call.
    static StockManager &sharedInstance();

    // The list as it is at this moment; later changes do not touch the returned copy.
    QList<std::shared_ptr<Stock>> stocks() const;
    // Held weakly: a delegate that is gone is simply not told.
    void setDelegate(std::weak_ptr<StockManagerDelegate> delegate);

    // Appends a record for the code if its quote page can be read, then saves and tells the
    // delegate either way. A code listed already does nothing at all. Blocks for the one fetch,
    // which only a pause the host asked for holds back. Why nothing was added, if so.
    std::optional<UpdateFailure> addStock(const QString &code);
    // Removes the first record with the code, if any, then saves and tells the delegate.
    void removeStock(const QString &code);
    // Moves a record, then saves and tells the delegate; `to` counts positions in the list
    // without it. Indexes outside the list do nothing at all.
    void translateStockFromIndex(qsizetype from, qsizetype to);
    // The refresh pass: updates every record in list order with a pause after each, the last
    // too, then tells the delegate once. Saves nothing. Blocks.
    void update();

    // Writes the codes in list order; false when they could not be saved.
    bool saveCodes();
    // Replaces the list with records of the stored codes, as stored, without fetching.
    void loadCodes();

    // How every fetch of the list, refresh or add, asks the quote host.
    FetchPolicy &fetchPolicy() { return m_fetchPolicy; }

    // For quitting: from now on pauses return at once and fetches are aborted.
    void interrupt();

    // The sources to choose from, read afresh.
    QuoteSourceList sourceList() const;
    // The source of the next pass and of new records.
    std::shared_ptr<const QuoteSource> source() const;
    // Why the stored choice is not the source in use; empty when it is.
    QString sourceProblem() const;
    // Makes the source the one of the next pass and stores the choice; false when it could
    // not be stored (it is used all the same until the program ends).
    bool chooseSource(std::shared_ptr<const QuoteSource> source);
    // The failure every record of the last pass had in common, if they all failed alike.
    std::optional<UpdateFailure> passFailure() const;
    // When the host of the source in use may be asked again; invalid when it may be now.
    QDateTime pausedUntil(const QDateTime &now) const;

private:
    void saveAndNotify();
    void notifyDelegate() const;
    bool contains(const QString &code) const; // callers hold m_mutex
    void loadSource();
    static std::optional<UpdateFailure> commonFailure(const QList<std::shared_ptr<Stock>> &stocks);

    UserDefaults &m_defaults;
    const QString m_baseURL;
    const QString m_sourceDirectory;
    const std::chrono::milliseconds m_pause;
    InterruptibleSleep m_sleep;
    const HttpClient m_client;
    FetchPolicy m_fetchPolicy;

    mutable std::mutex m_mutex; // guards the members below
    QList<std::shared_ptr<Stock>> m_stocks;
    std::shared_ptr<const QuoteSource> m_source;
    QString m_sourceProblem;
    std::optional<UpdateFailure> m_passFailure;
    std::weak_ptr<StockManagerDelegate> m_delegate;
    // Held from reading the list to writing it, so that saves reach the disk in list order.
    std::mutex m_saveMutex;
};
