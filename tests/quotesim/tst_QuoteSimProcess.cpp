#include <csignal>
#include <memory>
#include <thread>

#include <httplib.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

namespace {

// The quotesim program itself, started on a free port with the given extra arguments.
class Simulator {
public:
    explicit Simulator(const QStringList &arguments) {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(qEnvironmentVariable("KABU_QUOTESIM"),
                        QStringList{QStringLiteral("--port"), QStringLiteral("0")} + arguments);
        if (!m_process.waitForStarted(5000))
            return;
        for (int i = 0; i < 50 && !m_process.canReadLine(); ++i)
            m_process.waitForReadyRead(100);
        m_firstLine = QString::fromUtf8(m_process.readLine()).chopped(1);
    }
    ~Simulator() {
        m_process.kill();
        m_process.waitForFinished(5000);
    }

    QString firstLine() const { return m_firstLine; }
    int port() const { return m_firstLine.section(QLatin1Char(':'), -1).toInt(); }
    QProcess &process() { return m_process; }

    std::unique_ptr<httplib::Client> client() const {
        auto client = std::make_unique<httplib::Client>("127.0.0.1", port());
        client->set_read_timeout(30, 0);
        return client;
    }

private:
    QProcess m_process;
    QString m_firstLine;
};

std::string detailPath(const char *code) {
    return std::string("/stocks/detail/?code=") + code;
}

} // namespace

class tst_QuoteSimProcess : public QObject {
    Q_OBJECT

private slots:
    void printsBaseUrlFirstThenServes();
    void answersPerCode_data();
    void answersPerCode();
    void slowCodeWaits();
    void stopsPromptlyOnSignal_data();
    void stopsPromptlyOnSignal();
    void rejectsBadArguments_data();
    void rejectsBadArguments();
};

void tst_QuoteSimProcess::printsBaseUrlFirstThenServes() {
    Simulator simulator({});
    QVERIFY2(QRegularExpression(QStringLiteral("^http://127\\.0\\.0\\.1:[1-9]\\d*$"))
                 .match(simulator.firstLine())
                 .hasMatch(),
             qPrintable(simulator.firstLine()));
    const auto result = simulator.client()->Get(detailPath("7203"));
    QVERIFY(result);
    QCOMPARE(result->status, 200);
    QCOMPARE(result->get_header_value("Content-Type"), "text/html; charset=UTF-8");
    QVERIFY(QByteArray::fromStdString(result->body).contains("<title>トヨタ自動車【7203】"));
}

void tst_QuoteSimProcess::answersPerCode_data() {
    QTest::addColumn<QByteArray>("code");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("titleStart");
    QTest::newRow("listed") << QByteArray("9984") << 200
                            << QByteArray("ソフトバンクグループ【9984】");
    QTest::newRow("0000") << QByteArray("0000") << 404 << QByteArray("銘柄が見つかりません");
    QTest::newRow("not listed") << QByteArray("1111") << 404 << QByteArray("銘柄が見つかりません");
    QTest::newRow("9991") << QByteArray("9991") << 500 << QByteArray("システムエラー");
    QTest::newRow("9992") << QByteArray("9992") << 503 << QByteArray("朝霧精工【9992】");
    QTest::newRow("9994 followed")
        << QByteArray("9994") << 200 << QByteArray("青葉テクノロジーズ【9994】");
}

void tst_QuoteSimProcess::answersPerCode() {
    QFETCH(QByteArray, code);
    QFETCH(int, status);
    QFETCH(QByteArray, titleStart);
    Simulator simulator({});
    QVERIFY(simulator.port() > 0);
    const auto client = simulator.client();
    client->set_follow_location(true);
    const auto result = client->Get(detailPath(code.constData()));
    QVERIFY(result);
    QCOMPARE(result->status, status);
    QVERIFY(QByteArray::fromStdString(result->body).contains("<title>" + titleStart));
}

void tst_QuoteSimProcess::slowCodeWaits() {
    Simulator simulator({QStringLiteral("--slow-seconds"), QStringLiteral("1")});
    QVERIFY(simulator.port() > 0);
    QElapsedTimer timer;
    timer.start();
    const auto result = simulator.client()->Get(detailPath("9993"));
    QVERIFY(result);
    QCOMPARE(result->status, 200);
    QVERIFY2(timer.elapsed() >= 900, qPrintable(QString::number(timer.elapsed())));
}

void tst_QuoteSimProcess::stopsPromptlyOnSignal_data() {
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGINT") << SIGINT;
}

void tst_QuoteSimProcess::stopsPromptlyOnSignal() {
    QFETCH(int, signal);
    Simulator simulator({QStringLiteral("--slow-seconds"), QStringLiteral("60")});
    // Without a running simulator the pid is 0, and kill(0) would signal this whole group.
    QVERIFY(simulator.port() > 0 && simulator.process().processId() > 0);
    // A slow answer in progress must not hold up the exit.
    std::thread slowRequest([client = simulator.client()] { client->Get(detailPath("9993")); });
    QTest::qWait(300);
    QElapsedTimer timer;
    timer.start();
    ::kill(static_cast<pid_t>(simulator.process().processId()), signal);
    const bool finished = simulator.process().waitForFinished(5000);
    const qint64 elapsed = timer.elapsed();
    slowRequest.join();
    QVERIFY(finished);
    QCOMPARE(simulator.process().exitStatus(), QProcess::NormalExit);
    QCOMPARE(simulator.process().exitCode(), 0);
    QVERIFY2(elapsed < 2500, qPrintable(QString::number(elapsed)));
}

void tst_QuoteSimProcess::rejectsBadArguments_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("port not a number") << QStringList{"--port", "http"};
    QTest::newRow("port out of range") << QStringList{"--port", "65536"};
    QTest::newRow("missing value") << QStringList{"--slow-seconds"};
    QTest::newRow("unknown option") << QStringList{"--host", "0.0.0.0"};
}

void tst_QuoteSimProcess::rejectsBadArguments() {
    QFETCH(QStringList, arguments);
    QProcess process;
    process.start(qEnvironmentVariable("KABU_QUOTESIM"), arguments);
    QVERIFY(process.waitForFinished(5000));
    QCOMPARE(process.exitCode(), 2);
    QVERIFY(process.readAllStandardOutput().isEmpty());
}

QTEST_GUILESS_MAIN(tst_QuoteSimProcess)
#include "tst_QuoteSimProcess.moc"
