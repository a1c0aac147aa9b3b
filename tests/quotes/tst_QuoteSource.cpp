#include <variant>

#include <QtTest>

#include <libxml/parser.h>

#include "QuoteSimServer.h"
#include "QuoteSource.h"
#include "Stock.h"

namespace {

const QByteArray kGood =
    "{\"name\": \"Example\", \"address\": \"https://quotes.example/q/{code}\", "
    "\"titleQuery\": \"//title\", \"priceQuery\": \"//td\", \"priceIndex\": 1, "
    "\"figuresQuery\": \"//dd\", \"prevCloseIndex\": 0, \"volumeIndex\": 4}";

// The good file with one field's text replaced.
QByteArray changed(const char *from, const char *to) {
    QByteArray json = kGood;
    return json.replace(from, to);
}

QString problemOf(const QuoteSource::Loaded &loaded) {
    const auto *problem = std::get_if<QString>(&loaded);
    return problem ? *problem : QString();
}

} // namespace

class tst_QuoteSource : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { xmlInitParser(); }

    void validation_data() {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("problem"); // the start of the reason; empty when usable
        QTest::newRow("good") << kGood << QString();
        QTest::newRow("good, with an encoding")
            << changed("\"volumeIndex\": 4", "\"volumeIndex\": 4, \"encoding\": \"Shift_JIS\"")
            << QString();
        QTest::newRow("bad JSON") << changed("}", ",") << QStringLiteral("JSON として読めません");
        QTest::newRow("not an object")
            << QByteArray("[1]") << QStringLiteral("JSON のオブジェクト");
        QTest::newRow("other scheme")
            << changed("https:", "file:") << QStringLiteral("アドレスが http でも https でも");
        QTest::newRow("no host") << changed("https://quotes.example", "http://")
                                 << QStringLiteral("アドレスが正しくありません");
        QTest::newRow("missing {code}")
            << changed("{code}", "7203") << QStringLiteral("アドレスに {code} がありません");
        QTest::newRow("code as the port")
            << changed("quotes.example/q/{code}", "quotes.example:{code}/q")
            << QStringLiteral("アドレスが正しくありません");
        QTest::newRow("escape sign before the code")
            << changed("/q/{code}", "/q%{code}") << QStringLiteral("アドレスが正しくありません");
        QTest::newRow("query that does not compile")
            << changed("//td", "//td[") << QStringLiteral("XPath として読めない検索式です: //td[");
        QTest::newRow("index out of range") << changed("\"priceIndex\": 1", "\"priceIndex\": 1000")
                                            << QStringLiteral("「priceIndex」が 0 から 999");
        QTest::newRow("negative index")
            << changed("\"prevCloseIndex\": 0", "\"prevCloseIndex\": -1")
            << QStringLiteral("「prevCloseIndex」が 0 から 999");
        QTest::newRow("fractional index") << changed("\"volumeIndex\": 4", "\"volumeIndex\": 4.5")
                                          << QStringLiteral("「volumeIndex」が 0 から 999");
        QTest::newRow("index as text") << changed("\"volumeIndex\": 4", "\"volumeIndex\": \"4\"")
                                       << QStringLiteral("「volumeIndex」が 0 から 999");
        QTest::newRow("missing query")
            << changed("\"titleQuery\"", "\"title\"") << QStringLiteral("「titleQuery」に文字列");
        QTest::newRow("unknown encoding")
            << changed("\"volumeIndex\": 4", "\"volumeIndex\": 4, \"encoding\": \"klingon\"")
            << QStringLiteral("知らない文字コードです: klingon");
        QByteArray oversized = kGood;
        oversized.append(QuoteSource::kMaxFileBytes + 1 - kGood.size(), ' ');
        QTest::newRow("oversized")
            << oversized << QStringLiteral("65536 バイトより大きいファイルです");
    }

    // Through a file, as the program reads them.
    void validation() {
        QFETCH(QByteArray, json);
        QFETCH(QString, problem);
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("s.json")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(json);
        file.close();

        const QuoteSource::Loaded loaded = QuoteSource::fromFile(file.fileName());

        QVERIFY2(problemOf(loaded).startsWith(problem), qPrintable(problemOf(loaded)));
        QCOMPARE(problemOf(loaded).isEmpty(), problem.isEmpty());
        if (problem.isEmpty())
            QCOMPARE(std::get<0>(loaded)->id(), QStringLiteral("s.json"));
    }

    void addresses_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("builtIn"); // empty: no address
        QTest::addColumn<QString>("loaded");
        QTest::newRow("code") << "7203"
                              << "http://127.0.0.1:18765/stocks/detail/?code=7203"
                              << "https://quotes.example/q/7203";
        QTest::newRow("code with letters") << "130A"
                                           << "http://127.0.0.1:18765/stocks/detail/?code=130A"
                                           << "https://quotes.example/q/130A";
        QTest::newRow("not an address") << "72 3" << QString() << QString();
    }

    // The built-in source asks for exactly the address the ticker has always asked for.
    void addresses() {
        QFETCH(QString, code);
        QFETCH(QString, builtIn);
        QFETCH(QString, loaded);
        const auto fromBuild = QuoteSource::builtIn(QStringLiteral("http://127.0.0.1:18765"));
        const auto fromFile = std::get<0>(QuoteSource::fromJson(kGood, QStringLiteral("s.json")));
        QCOMPARE(fromBuild->pageURL(code).toString(QUrl::FullyEncoded), builtIn);
        QCOMPARE(fromFile->pageURL(code).toString(QUrl::FullyEncoded), loaded);
        QCOMPARE(fromFile->site(), QStringLiteral("https://quotes.example"));
    }

    // The simulator's second layout, read through the source file that comes with it.
    void simulatorAnnex() {
        const QuoteSimServer simulator;
        QVERIFY(simulator.isRunning());
        QFile file(QStringLiteral(KABU_QUOTESIM_SOURCES "/kabusim-annex.json"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray json =
            file.readAll().replace("http://127.0.0.1:18765", simulator.baseURL().toUtf8());
        const auto source = std::get<0>(QuoteSource::fromJson(json, QStringLiteral("a.json")));
        QVERIFY(source->encoding() == "Shift_JIS");

        Stock stock(QStringLiteral("130A"), source);
        QVERIFY(stock.update());
        QCOMPARE(stock.name(), QStringLiteral("ヴェリタス・イン・シリコ"));
        QVERIFY(stock.quote() > 0 && stock.prev_close() > 0 && stock.volume() > 0);
        QVERIFY(stock.quote() != stock.volume() && stock.prev_close() != stock.volume());
        QVERIFY(!stock.lastFailure());
    }
};

QTEST_GUILESS_MAIN(tst_QuoteSource)
#include "tst_QuoteSource.moc"
