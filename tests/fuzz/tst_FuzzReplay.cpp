// The fuzz targets' seed corpus and every input a fuzzer once failed on, replayed through the
// same cases in the ordinary (and sanitizer) builds.
#include <QDir>
#include <QTest>

#include "AlertKeyFuzzCase.h"
#include "HoldingKeyFuzzCase.h"
#include "MarketDaysFuzzCase.h"
#include "QuietDiagnostics.h"
#include "ScrapeFuzzCase.h"
#include "SourceFuzzCase.h"
#include "XPathFuzzCase.h"

namespace {

template <typename Case> QString checked(const QByteArray &input) {
    return Case(input).check();
}

// Each target by the name of its corpus folder, as scripts/fuzz names them.
const QMap<QString, QString (*)(const QByteArray &)> kTargets{
    {QStringLiteral("xpath"), checked<XPathFuzzCase>},
    {QStringLiteral("scrape"), checked<ScrapeFuzzCase>},
    {QStringLiteral("source"), checked<SourceFuzzCase>},
    {QStringLiteral("marketdays"), checked<MarketDaysFuzzCase>},
    {QStringLiteral("alerts"), checked<AlertKeyFuzzCase>},
    {QStringLiteral("holdings"), checked<HoldingKeyFuzzCase>},
};

QDir inputsOf(const QString &origin, const QString &target) {
    return QDir(QStringLiteral(KABU_FUZZ_DIR "/%1/%2").arg(origin, target));
}

} // namespace

class tst_FuzzReplay : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QuietDiagnostics::install();
        // A seed corpus that went missing would leave nothing to replay.
        for (const QString &target : kTargets.keys())
            QVERIFY2(!inputsOf(QStringLiteral("corpus"), target).isEmpty(), qPrintable(target));
    }

    void inputs_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("file");
        for (const QString &target : kTargets.keys()) {
            for (const QString &origin :
                 {QStringLiteral("corpus"), QStringLiteral("regressions")}) {
                const QDir dir = inputsOf(origin, target);
                for (const QString &name : dir.entryList(QDir::Files, QDir::Name))
                    QTest::addRow("%s/%s/%s", qPrintable(origin), qPrintable(target),
                                  qPrintable(name))
                        << target << dir.filePath(name);
            }
        }
    }

    void inputs() {
        QFETCH(QString, target);
        QFETCH(QString, file);
        QFile input(file);
        QVERIFY(input.open(QIODevice::ReadOnly));
        const QByteArray bytes = input.readAll();
        const QString problem = kTargets.value(target)(bytes);
        QVERIFY2(problem.isNull(), qPrintable(problem));
    }
};

QTEST_GUILESS_MAIN(tst_FuzzReplay)
#include "tst_FuzzReplay.moc"
