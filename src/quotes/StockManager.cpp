#include "StockManager.h"

#include <algorithm>
#include <utility>

#include "Log.h"
#include "UserDefaults.h"

namespace {

auto hasCode(const QString &code) {
    return [&code](const std::shared_ptr<Stock> &stock) { return stock->code() == code; };
}

} // namespace

StockManager::StockManager(UserDefaults &defaults, QString baseURL, std::chrono::milliseconds pause,
                           QString sourceDirectory)
    : m_defaults(defaults)
    , m_baseURL(std::move(baseURL))
    , m_sourceDirectory(std::move(sourceDirectory))
    , m_pause(pause)
    , m_client(HttpClient::Options{.cancelled = [this] { return m_sleep.isInterrupted(); }}) {
    loadSource();
    loadCodes();
}

StockManager &StockManager::sharedInstance() {
    // Never destroyed: the refresh loop and add tasks may still run while the process exits.
    static StockManager *const instance = new StockManager(UserDefaults::standardUserDefaults());
    return *instance;
}

QList<std::shared_ptr<Stock>> StockManager::stocks() const {
    std::lock_guard lock(m_mutex);
    // A copy of its own, not one sharing m_stocks' buffer: QList decides whether a writer may
    // change a buffer in place by a relaxed load of its reference count, which does not order
    // the writer after a reader that has just let go of its copy.
    return QList<std::shared_ptr<Stock>>(m_stocks.cbegin(), m_stocks.cend());
}

void StockManager::setDelegate(std::weak_ptr<StockManagerDelegate> delegate) {
    std::lock_guard lock(m_mutex);
    m_delegate = std::move(delegate);
}

std::optional<UpdateFailure> StockManager::addStock(const QString &code) {
    {
        std::lock_guard lock(m_mutex);
        if (contains(code))
            return std::nullopt;
    }
    auto stock = std::make_shared<Stock>(code, source());
    const bool updated = stock->update(m_client, m_fetchPolicy, Stock::Asking::Once);
    const std::optional<UpdateFailure> failure = stock->lastFailure();
    {
        std::lock_guard lock(m_mutex);
        // Another add of the same code may have finished during the fetch.
        if (updated && !contains(code))
            m_stocks.append(std::move(stock));
    }
    saveAndNotify();
    return failure;
}

void StockManager::removeStock(const QString &code) {
    {
        std::lock_guard lock(m_mutex);
        const auto found = std::find_if(m_stocks.cbegin(), m_stocks.cend(), hasCode(code));
        if (found != m_stocks.cend())
            m_stocks.erase(found);
    }
    saveAndNotify();
}

void StockManager::translateStockFromIndex(qsizetype from, qsizetype to) {
    {
        std::lock_guard lock(m_mutex);
        const qsizetype count = m_stocks.size();
        if (from < 0 || from >= count || to < 0 || to >= count)
            return;
        m_stocks.move(from, to);
    }
    saveAndNotify();
}

void StockManager::update() {
    // A snapshot: the list may change during the pass, and a record removed meanwhile
    // stays alive until its fetch is over.
    const QList<std::shared_ptr<Stock>> pass = stocks();
    // A source chosen during the pass is used from the next one.
    const std::shared_ptr<const QuoteSource> passSource = source();
    bool finished = true;
    for (const std::shared_ptr<Stock> &stock : pass) {
        stock->setSource(passSource);
        stock->update(m_client, m_fetchPolicy);
        if (!m_sleep.sleepFor(m_pause)) {
            finished = false;
            break;
        }
    }
    if (finished) {
        std::lock_guard lock(m_mutex);
        m_passFailure = commonFailure(pass);
    }
    notifyDelegate();
}

bool StockManager::saveCodes() {
    std::lock_guard saving(m_saveMutex);
    QStringList codes;
    {
        std::lock_guard lock(m_mutex);
        codes.reserve(m_stocks.size());
        for (const std::shared_ptr<Stock> &stock : std::as_const(m_stocks))
            codes.append(stock->code());
    }
    return m_defaults.setValue(UserDefaults::KEY_CODES, codes);
}

void StockManager::loadCodes() {
    const QStringList codes = m_defaults.value(UserDefaults::KEY_CODES);
    QList<std::shared_ptr<Stock>> loaded;
    loaded.reserve(codes.size());
    const std::shared_ptr<const QuoteSource> current = source();
    for (const QString &code : codes)
        loaded.append(std::make_shared<Stock>(code, current));
    std::lock_guard lock(m_mutex);
    m_stocks = std::move(loaded);
}

void StockManager::interrupt() {
    m_sleep.interrupt();
}

QuoteSourceList StockManager::sourceList() const {
    return QuoteSourceList(m_sourceDirectory, QuoteSource::builtIn(m_baseURL));
}

std::shared_ptr<const QuoteSource> StockManager::source() const {
    std::lock_guard lock(m_mutex);
    return m_source;
}

QString StockManager::sourceProblem() const {
    std::lock_guard lock(m_mutex);
    return m_sourceProblem;
}

bool StockManager::chooseSource(std::shared_ptr<const QuoteSource> source) {
    const QString id = source->id();
    {
        std::lock_guard lock(m_mutex);
        m_source = std::move(source);
        m_sourceProblem.clear();
    }
    return m_defaults.setValue(UserDefaults::KEY_SOURCE, id);
}

std::optional<UpdateFailure> StockManager::passFailure() const {
    std::lock_guard lock(m_mutex);
    return m_passFailure;
}

QDateTime StockManager::pausedUntil(const QDateTime &now) const {
    return m_fetchPolicy.pausedUntil(QUrl(source()->site()), now);
}

// The stored choice stays as it is when its file cannot be used, so that mending the file
// brings it back at the next launch.
void StockManager::loadSource() {
    QuoteSourceList::Resolved resolved =
        sourceList().resolve(m_defaults.value(UserDefaults::KEY_SOURCE));
    if (!resolved.problem.isEmpty())
        Log::write(resolved.problem);
    std::lock_guard lock(m_mutex);
    m_source = std::move(resolved.source);
    m_sourceProblem = std::move(resolved.problem);
}

std::optional<UpdateFailure>
StockManager::commonFailure(const QList<std::shared_ptr<Stock>> &stocks) {
    std::optional<UpdateFailure> common;
    std::optional<UpdateFailure> paused;
    for (const std::shared_ptr<Stock> &stock : stocks) {
        const std::optional<UpdateFailure> failure = stock->lastFailure();
        if (!failure)
            return std::nullopt;
        // A record skipped while its host pauses goes with the failures that paused it.
        if (failure->kind() == UpdateFailure::Kind::Paused) {
            paused = paused ? paused : failure;
            continue;
        }
        if (common && !(*common == *failure))
            return std::nullopt;
        common = failure;
    }
    return common ? common : paused;
}

void StockManager::saveAndNotify() {
    saveCodes();
    notifyDelegate();
}

void StockManager::notifyDelegate() const {
    std::shared_ptr<StockManagerDelegate> delegate;
    {
        std::lock_guard lock(m_mutex);
        delegate = m_delegate.lock();
    }
    if (delegate)
        delegate->updatedStocks();
}

bool StockManager::contains(const QString &code) const {
    return std::any_of(m_stocks.cbegin(), m_stocks.cend(), hasCode(code));
}
