#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include <QtTest>

#include "QuoteSimServer.h"
#include "Stock.h"
#include "StockManager.h"
#include "SettingsOnDisk.h"
#include "UserDefaults.h"

using namespace std::chrono_literals;

namespace {

const QString kFileName = QStringLiteral("kabu-ticker.conf");
const QStringList kGoodCodes{"7203", "6758", "9984", "7974"};
const QStringList kFailingCodes{"0000", "9991"};
const QByteArray kByHand = "; written by hand\n";

class CountingDelegate : public StockManagerDelegate {
public:
    void updatedStocks() override { ++calls; }
    std::atomic<int> calls = 0;
};

QStringList codesOf(const QList<std::shared_ptr<Stock>> &stocks) {
    QStringList codes;
    for (const auto &stock : stocks)
        codes.append(stock->code());
    return codes;
}

// Written as the program never writes it, so that any save shows in the bytes.
void storeByHand(const QString &file, const QStringList &codes) {
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(kByHand + "[General]\nKEY_CODES = " +
            (codes.isEmpty() ? QByteArray("@Invalid()") : codes.join(", ").toUtf8()) + '\n');
}

bool savedSinceStoredByHand(const QString &file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) && !f.readAll().startsWith(kByHand);
}

// A watch list over a throw-away settings file, told to a counting delegate.
struct Harness {
    explicit Harness(const QStringList &stored, const QString &baseURL = QString(),
                     std::chrono::milliseconds pause = 1ms) {
        storeByHand(file, stored);
        manager = std::make_unique<StockManager>(defaults, baseURL, pause);
        manager->setDelegate(delegate);
    }
    QTemporaryDir dir;
    QString file = dir.filePath(kFileName);
    UserDefaults defaults{file};
    std::shared_ptr<CountingDelegate> delegate = std::make_shared<CountingDelegate>();
    std::unique_ptr<StockManager> manager;
};

} // namespace

// Whatever one thread hands to another here is done from threads of their own, so that each
// hand-over is between two threads ThreadSanitizer watches from their start.
class tst_StockManager : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void sharedInstanceLoadsTheStandardList();
    void loadsStoredCodesWithoutQuotesOrChecks();
    void missingListStartsEmptyAndWritesNothing();
    void move_data();
    void move();
    void remove_data();
    void remove();
    void add_data();
    void add();
    void addsOfOneCodeAtOnceAppendOnce();
    void passUpdatesEachRecordAndPausesAfterEach();
    void emptyPassNotifiesOnceWithoutPausing();
    void interruptCutsPassShort_data();
    void interruptCutsPassShort();
    void delegateIsHeldWeakly();
    void concurrentUseKeepsTheListWhole();
    void passFailure_data();
    void passFailure();
    void chosenSourceAppliesFromTheNextPass();

private:
    QTemporaryDir m_configHome;
    QuoteSimServer m_site;
};

void tst_StockManager::initTestCase() {
    qputenv("XDG_CONFIG_HOME", m_configHome.path().toUtf8());
    QVERIFY2(m_site.isRunning(), "the quote-site simulator did not start");
}

void tst_StockManager::sharedInstanceLoadsTheStandardList() {
    QVERIFY(QDir().mkpath(QFileInfo(UserDefaults::standardFilePath()).path()));
    storeByHand(UserDefaults::standardFilePath(), {"7203", "6758"});
    StockManager *first = nullptr;
    StockManager *second = nullptr;
    std::thread one([&first] { first = &StockManager::sharedInstance(); });
    std::thread other([&second] { second = &StockManager::sharedInstance(); });
    one.join();
    other.join();

    QCOMPARE(first, second);
    StockManager &instance = *first;
    QCOMPARE(codesOf(instance.stocks()), (QStringList{"7203", "6758"}));
}

void tst_StockManager::loadsStoredCodesWithoutQuotesOrChecks() {
    const QStringList stored{"7203", "not a code", "7203", ""};
    Harness h(stored);

    const auto stocks = h.manager->stocks();

    QCOMPARE(codesOf(stocks), stored);
    for (const auto &stock : stocks) {
        QVERIFY(stock->name().isNull());
        QCOMPARE(stock->quote(), 0);
        QVERIFY(!stock->updated_at().isValid());
    }
    QVERIFY(!savedSinceStoredByHand(h.file));
    QCOMPARE(h.delegate->calls.load(), 0);
}

void tst_StockManager::missingListStartsEmptyAndWritesNothing() {
    const QTemporaryDir dir;
    UserDefaults defaults(dir.filePath(kFileName));
    StockManager manager(defaults, QString(), 1ms);

    manager.update();

    QVERIFY(manager.stocks().isEmpty());
    QVERIFY(QDir(dir.path()).isEmpty());
}

void tst_StockManager::move_data() {
    QTest::addColumn<qsizetype>("from");
    QTest::addColumn<qsizetype>("to");
    QTest::addColumn<QStringList>("expected"); // empty: nothing may happen
    QTest::newRow("forward") << qsizetype(0) << qsizetype(2) << QStringList{"B", "C", "A", "D"};
    QTest::newRow("last to first")
        << qsizetype(3) << qsizetype(0) << QStringList{"D", "A", "B", "C"};
    QTest::newRow("in place") << qsizetype(1) << qsizetype(1) << QStringList{"A", "B", "C", "D"};
    QTest::newRow("from before start") << qsizetype(-1) << qsizetype(0) << QStringList();
    QTest::newRow("from past end") << qsizetype(4) << qsizetype(0) << QStringList();
    QTest::newRow("to past end") << qsizetype(0) << qsizetype(4) << QStringList();
    QTest::newRow("to before start") << qsizetype(2) << qsizetype(-1) << QStringList();
}

void tst_StockManager::move() {
    QFETCH(qsizetype, from);
    QFETCH(qsizetype, to);
    QFETCH(QStringList, expected);
    const QStringList stored{"A", "B", "C", "D"};
    Harness h(stored);

    h.manager->translateStockFromIndex(from, to);

    const bool changes = !expected.isEmpty();
    QCOMPARE(codesOf(h.manager->stocks()), changes ? expected : stored);
    QCOMPARE(savedSinceStoredByHand(h.file), changes);
    QCOMPARE(codesOnDisk(h.file), changes ? expected : stored);
    QCOMPARE(h.delegate->calls.load(), changes ? 1 : 0);
}

void tst_StockManager::remove_data() {
    QTest::addColumn<QStringList>("stored");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("middle") << QStringList{"A", "B", "C"} << "B" << QStringList{"A", "C"};
    QTest::newRow("first of duplicates")
        << QStringList{"A", "B", "A"} << "A" << QStringList{"B", "A"};
    QTest::newRow("the only one") << QStringList{"A"} << "A" << QStringList();
    QTest::newRow("not listed") << QStringList{"A", "B"} << "C" << QStringList{"A", "B"};
}

void tst_StockManager::remove() {
    QFETCH(QStringList, stored);
    QFETCH(QString, code);
    QFETCH(QStringList, expected);
    Harness h(stored);
    const auto lastBefore = h.manager->stocks().last();

    h.manager->removeStock(code);

    const auto stocks = h.manager->stocks();
    QCOMPARE(codesOf(stocks), expected);
    if (!stocks.isEmpty() && stocks.last()->code() == lastBefore->code())
        QCOMPARE(stocks.last(), lastBefore); // the same record, not one made anew
    QVERIFY(savedSinceStoredByHand(h.file));
    QCOMPARE(codesOnDisk(h.file), expected);
    QCOMPARE(h.delegate->calls.load(), 1);
}

void tst_StockManager::add_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<bool>("saves");
    const QStringList stored{"7203", "9984"};
    QTest::newRow("good code joins at the end") << "6758" << (stored + QStringList{"6758"}) << true;
    QTest::newRow("page not found") << "0000" << stored << true;
    QTest::newRow("HTTP 500 page") << "9991" << stored << true;
    QTest::newRow("not a valid address") << "72 03" << stored << true;
    QTest::newRow("already listed") << "9984" << stored << false;
}

void tst_StockManager::add() {
    QFETCH(QString, code);
    QFETCH(QStringList, expected);
    QFETCH(bool, saves);
    Harness h({"7203", "9984"}, m_site.baseURL());

    h.manager->addStock(code);

    const auto stocks = h.manager->stocks();
    QCOMPARE(codesOf(stocks), expected);
    QCOMPARE(savedSinceStoredByHand(h.file), saves);
    QCOMPARE(codesOnDisk(h.file), expected);
    QCOMPARE(h.delegate->calls.load(), saves ? 1 : 0);
    if (expected.size() == 3) {
        QVERIFY(!stocks.last()->name().isEmpty());
        QVERIFY(stocks.last()->quote() > 0);
        QVERIFY(stocks.last()->updated_at().isValid());
    }
}

void tst_StockManager::addsOfOneCodeAtOnceAppendOnce() {
    Harness h({}, m_site.baseURL());
    std::vector<std::thread> adders;
    for (int i = 0; i < 4; ++i)
        adders.emplace_back([&h] { h.manager->addStock(QStringLiteral("7974")); });
    for (std::thread &adder : adders)
        adder.join();

    QCOMPARE(codesOf(h.manager->stocks()), QStringList{"7974"});
    QCOMPARE(codesOnDisk(h.file), QStringList{"7974"});
    QVERIFY(h.delegate->calls.load() >= 1);
}

void tst_StockManager::passUpdatesEachRecordAndPausesAfterEach() {
    constexpr auto pause = 700ms;
    Harness h({"7203", "0000", "6758"}, m_site.baseURL(), pause);
    QElapsedTimer timer;
    timer.start();

    h.manager->update();

    QVERIFY(timer.elapsed() >= 3 * pause.count());
    QCOMPARE(h.delegate->calls.load(), 1);
    const auto stocks = h.manager->stocks();
    QVERIFY(stocks.at(0)->updated_at().isValid() && stocks.at(0)->quote() > 0);
    QVERIFY(!stocks.at(1)->updated_at().isValid());
    QVERIFY(stocks.at(2)->updated_at().isValid() && stocks.at(2)->quote() > 0);
    QVERIFY(!savedSinceStoredByHand(h.file));
}

void tst_StockManager::emptyPassNotifiesOnceWithoutPausing() {
    Harness h({}, m_site.baseURL(), 60s);
    QElapsedTimer timer;
    timer.start();

    h.manager->update();

    QVERIFY(timer.elapsed() < 30000);
    QCOMPARE(h.delegate->calls.load(), 1);
}

void tst_StockManager::interruptCutsPassShort_data() {
    QTest::addColumn<QStringList>("codes");
    QTest::addColumn<int>("limitMs");
    QTest::newRow("in a pause") << QStringList{"7203", "6758"} << 30000;
    QTest::newRow("in a slow fetch") << QStringList{"9993"} << 4000; // the page takes 5 s
}

void tst_StockManager::interruptCutsPassShort() {
    QFETCH(QStringList, codes);
    QFETCH(int, limitMs);
    Harness h(codes, m_site.baseURL(), 60s);
    QElapsedTimer timer;
    timer.start();
    std::thread pass([&h] { h.manager->update(); });
    std::thread quit([&h] {
        std::this_thread::sleep_for(300ms);
        h.manager->interrupt();
    });
    pass.join();
    quit.join();

    QVERIFY2(timer.elapsed() < limitMs, qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(h.delegate->calls.load(), 1);
    QVERIFY(!h.manager->stocks().last()->updated_at().isValid());
}

void tst_StockManager::delegateIsHeldWeakly() {
    Harness h({"A"});
    std::weak_ptr<CountingDelegate> watched = h.delegate;

    h.delegate.reset();
    h.manager->removeStock(QStringLiteral("A"));

    QVERIFY(watched.expired());
    QCOMPARE(codesOnDisk(h.file), QStringList());
}

// Refresh passes run while other threads add, remove, move and read; every snapshot must be a
// whole list, adds must never put a code in twice, and the file must end as the list ends.
void tst_StockManager::concurrentUseKeepsTheListWhole() {
    Harness h({"7203", "6758", "9984"}, m_site.baseURL(), 5ms);
    const auto deadline = std::chrono::steady_clock::now() + 3s;
    const auto running = [&deadline] { return std::chrono::steady_clock::now() < deadline; };
    std::mutex problemsMutex;
    QStringList problems;
    const auto report = [&](const QString &problem) {
        std::lock_guard lock(problemsMutex);
        problems.append(problem);
    };
    const auto check = [&](const QList<std::shared_ptr<Stock>> &stocks) {
        QStringList codes = codesOf(stocks);
        if (codes.removeDuplicates() > 0)
            report(QStringLiteral("duplicate in %1").arg(codesOf(stocks).join(u' ')));
        for (const QString &code : std::as_const(codes))
            if (!kGoodCodes.contains(code))
                report(QStringLiteral("unexpected %1").arg(code));
        // These reads race the refresh pass on purpose, for ThreadSanitizer to watch.
        for (const auto &stock : stocks)
            if (stock->quote() < 0 || stock->name().contains(QChar::Null))
                report(QStringLiteral("torn record %1").arg(stock->code()));
    };
    std::atomic<int> passes = 0;
    std::vector<std::thread> threads;
    threads.emplace_back([&] {
        for (int i = 0; i < 500 && running(); ++i, ++passes)
            h.manager->update();
    });
    const QStringList addable = kGoodCodes + kFailingCodes;
    for (int adder = 0; adder < 2; ++adder)
        threads.emplace_back([&, adder] {
            for (int i = adder; i < 2000 && running(); ++i)
                h.manager->addStock(addable.at(i % addable.size()));
        });
    threads.emplace_back([&] {
        for (int i = 0; i < 2000 && running(); ++i) {
            h.manager->removeStock(kGoodCodes.at(i % kGoodCodes.size()));
            std::this_thread::sleep_for(3ms);
        }
    });
    threads.emplace_back([&] {
        for (int i = 0; i < 20000 && running(); ++i)
            h.manager->translateStockFromIndex(i % 5, (i / 5) % 4);
    });
    threads.emplace_back([&] {
        // Reads for the whole run: a loaded machine may take seconds for the first fetch.
        while (running())
            check(h.manager->stocks());
    });
    for (std::thread &thread : threads)
        thread.join();

    check(h.manager->stocks());
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u'\n')));
    QVERIFY(passes.load() > 0);
    QCOMPARE(codesOnDisk(h.file), codesOf(h.manager->stocks()));
    // The list the threads left behind still refreshes whole.
    h.manager->update();
    for (const auto &stock : h.manager->stocks())
        QVERIFY2(stock->updated_at().isValid(), qPrintable(stock->code()));
}

QTEST_GUILESS_MAIN(tst_StockManager)
#include "tst_StockManager.moc"

void tst_StockManager::passFailure_data() {
    QTest::addColumn<QString>("baseURL"); // empty: the simulator
    QTest::addColumn<QStringList>("codes");
    QTest::addColumn<QString>("summary"); // %1 the site; empty: no common failure
    QTest::newRow("every one refused")
        << "http://127.0.0.1:1" << kGoodCodes << "取得先に接続できません: %1（接続拒否）";
    QTest::newRow("every one alike") << QString() << QStringList{"0000", "0001"}
                                     << "取得先がエラーを返しています: %1（HTTP 404）";
    QTest::newRow("different reasons") << QString() << kFailingCodes << QString();
    QTest::newRow("one read") << QString() << QStringList{"0000", "7203"} << QString();
}

void tst_StockManager::passFailure() {
    QFETCH(QString, baseURL);
    QFETCH(QStringList, codes);
    QFETCH(QString, summary);
    const QString site = baseURL.isEmpty() ? m_site.baseURL() : baseURL;
    Harness h(codes, site);

    h.manager->update();

    const std::optional<UpdateFailure> failure = h.manager->passFailure();
    QCOMPARE(failure ? failure->summary() : QString(),
             summary.isEmpty() ? QString() : summary.arg(site));
}

// The choice is stored under its own key and applies from the next pass; a later launch finds it
// again in the sources folder, or falls back to the built-in source, keeping the stored choice.
void tst_StockManager::chosenSourceAppliesFromTheNextPass() {
    Harness h({"7203"}, QStringLiteral("http://127.0.0.1:1"));
    const QByteArray json =
        "{\"name\": \"Sim\", \"address\": \"" + m_site.baseURL().toUtf8() +
        "/stocks/detail/?code={code}\", \"titleQuery\": \"//title\", "
        "\"priceQuery\": \"//table[@class='stocksTable']/tr/td\", \"priceIndex\": 1, "
        "\"figuresQuery\": \"//div[@class='innerDate']/div/dl/dd/strong\", "
        "\"prevCloseIndex\": 0, \"volumeIndex\": 4}";
    const auto simulator = std::get<0>(QuoteSource::fromJson(json, QStringLiteral("sim.json")));
    const auto stock = h.manager->stocks().first();
    h.manager->update();
    QVERIFY(stock->lastFailure());

    QVERIFY(h.manager->chooseSource(simulator));
    h.manager->update();

    QCOMPARE(stock->source(), simulator);
    QVERIFY(!stock->lastFailure());
    QVERIFY(stock->quote() > 0);
    QCOMPARE(h.defaults.value(UserDefaults::KEY_SOURCE), QStringLiteral("sim.json"));
    QCOMPARE(codesOnDisk(h.file), QStringList{"7203"});

    const QTemporaryDir sources;
    StockManager withoutFile(h.defaults, QString(), 1ms, sources.path());
    QCOMPARE(withoutFile.source()->id(), QString());
    QVERIFY(withoutFile.sourceProblem().startsWith(QStringLiteral("取得先 sim.json は使えません")));
    QFile file(sources.filePath(QStringLiteral("sim.json")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(json);
    file.close();
    StockManager withFile(h.defaults, QString(), 1ms, sources.path());
    QCOMPARE(withFile.source()->addressTemplate(), simulator->addressTemplate());
    QVERIFY(withFile.sourceProblem().isEmpty());
}
