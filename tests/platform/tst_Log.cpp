#include "Log.h"

#include <fcntl.h>
#include <unistd.h>

#include <QRegularExpression>
#include <QTest>

namespace {

// The stamp of a line written now by this process.
QRegularExpression stampedLine(const QString &text) {
    return QRegularExpression(
        QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} tst_Log\\[%1\\] %2$")
            .arg(::getpid())
            .arg(QRegularExpression::escape(text)));
}

} // namespace

class tst_Log : public QObject {
    Q_OBJECT

private slots:
    void formatLine_data();
    void formatLine();
    void writeReachesSink();
    void writeWithoutSinkGoesToStderr();
};

void tst_Log::formatLine_data() {
    QTest::addColumn<QDateTime>("when");
    QTest::addColumn<qint64>("pid");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("line");
    QTest::newRow("morning") << QDateTime(QDate(2026, 12, 7), QTime(9, 0, 0, 123)) << qint64(4242)
                             << QStringLiteral("Unable to parse.")
                             << QStringLiteral("2026-12-07 09:00:00.123 kabu-ticker[4242] "
                                               "Unable to parse.");
    QTest::newRow("padded fields") << QDateTime(QDate(2027, 1, 2), QTime(3, 4, 5, 6)) << qint64(7)
                                   << QStringLiteral("Nodes was nil.")
                                   << QStringLiteral("2027-01-02 03:04:05.006 kabu-ticker[7] "
                                                     "Nodes was nil.");
    QTest::newRow("evening, 24-hour clock")
        << QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59, 999)) << qint64(4194304)
        << QStringLiteral("株価 %1")
        << QStringLiteral("2026-12-31 23:59:59.999 kabu-ticker[4194304] 株価 %1");
}

void tst_Log::formatLine() {
    QFETCH(QDateTime, when);
    QFETCH(qint64, pid);
    QFETCH(QString, text);
    QFETCH(QString, line);
    QCOMPARE(Log::formatLine(when, QStringLiteral("kabu-ticker"), pid, text), line);
}

void tst_Log::writeReachesSink() {
    QStringList lines;
    const Log::Sink previous = Log::setSink([&lines](const QString &line) { lines << line; });
    const QDateTime before = QDateTime::currentDateTime().addMSecs(-1);
    Log::write(QStringLiteral("Unable to parse."));
    const QDateTime after = QDateTime::currentDateTime().addMSecs(1);
    Log::setSink(previous);

    QCOMPARE(lines.size(), 1);
    QVERIFY2(stampedLine(QStringLiteral("Unable to parse.")).match(lines[0]).hasMatch(),
             qPrintable(lines[0]));
    const QDateTime stamp =
        QDateTime::fromString(lines[0].left(23), QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
    QVERIFY2(before <= stamp && stamp <= after, qPrintable(lines[0]));
}

void tst_Log::writeWithoutSinkGoesToStderr() {
    int pipeEnds[2];
    QCOMPARE(::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK), 0);
    const int savedStderr = ::dup(STDERR_FILENO);
    ::dup2(pipeEnds[1], STDERR_FILENO);
    Log::write(QStringLiteral("Unable to evaluate XPath."));
    ::dup2(savedStderr, STDERR_FILENO);
    ::close(savedStderr);
    ::close(pipeEnds[1]);
    char buffer[512];
    const ssize_t n = ::read(pipeEnds[0], buffer, sizeof buffer);
    ::close(pipeEnds[0]);

    QVERIFY(n > 0);
    const QString written = QString::fromUtf8(buffer, n);
    QVERIFY2(written.endsWith(QLatin1Char('\n')) && written.count(QLatin1Char('\n')) == 1,
             qPrintable(written));
    QVERIFY2(stampedLine(QStringLiteral("Unable to evaluate XPath."))
                 .match(written.chopped(1))
                 .hasMatch(),
             qPrintable(written));
}

QTEST_GUILESS_MAIN(tst_Log)
#include "tst_Log.moc"
