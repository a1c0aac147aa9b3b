#include <QtTest>

#include "QuoteSourceList.h"

namespace {

const QByteArray kGood =
    "{\"name\": \"Good\", \"address\": \"http://q.example/{code}\", "
    "\"titleQuery\": \"//title\", \"priceQuery\": \"//td\", \"priceIndex\": 0, "
    "\"figuresQuery\": \"//dd\", \"prevCloseIndex\": 0, \"volumeIndex\": 1}";

} // namespace

class tst_QuoteSourceList : public QObject {
    Q_OBJECT
private slots:
    void init() {
        QVERIFY(m_dir.isValid());
        write(QStringLiteral("sources/good.json"), kGood);
        write(QStringLiteral("sources/bad.json"), "{");
        write(QStringLiteral("sources/notes.txt"), kGood);
        // Beside the folder, where no stored choice may lead.
        write(QStringLiteral("elsewhere.json"), kGood);
    }

    // The built-in source first, then the *.json files in name order, unusable ones included.
    void entries() {
        const QList<QuoteSourceList::Entry> entries = list().entries();
        QCOMPARE(entries.size(), 3);
        QCOMPARE(entries[0].source, m_builtIn);
        QCOMPARE(entries[1].id, QStringLiteral("bad.json"));
        QVERIFY(!entries[1].source);
        QVERIFY(entries[1].problem.startsWith(QStringLiteral("JSON として読めません")));
        QCOMPARE(entries[2].source->name(), QStringLiteral("Good"));
    }

    void resolve_data() {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("name");    // of the source used
        QTest::addColumn<QString>("problem"); // the start of the note; empty for none
        QTest::newRow("nothing chosen") << QString() << "内蔵の取得先" << QString();
        QTest::newRow("a usable file") << "good.json"
                                       << "Good" << QString();
        QTest::newRow("a file gone") << "gone.json"
                                     << "内蔵の取得先"
                                     << "取得先 gone.json は使えません（ファイルがありません）";
        QTest::newRow("an unusable file") << "bad.json"
                                          << "内蔵の取得先"
                                          << "取得先 bad.json は使えません（JSON として";
        QTest::newRow("a path elsewhere")
            << "../elsewhere.json"
            << "内蔵の取得先"
            << "取得先 ../elsewhere.json は使えません（ファイル名では";
    }

    void resolve() {
        QFETCH(QString, id);
        QFETCH(QString, name);
        QFETCH(QString, problem);

        const QuoteSourceList::Resolved resolved = list().resolve(id);

        QCOMPARE(resolved.source->name(), name);
        QVERIFY2(resolved.problem.startsWith(problem), qPrintable(resolved.problem));
        QCOMPARE(resolved.problem.isEmpty(), problem.isEmpty());
    }

private:
    QuoteSourceList list() const {
        return QuoteSourceList(m_dir.filePath(QStringLiteral("sources")), m_builtIn);
    }

    void write(const QString &name, const QByteArray &bytes) {
        QDir(m_dir.path()).mkpath(QFileInfo(m_dir.filePath(name)).path());
        QFile file(m_dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QTemporaryDir m_dir;
    const std::shared_ptr<const QuoteSource> m_builtIn =
        QuoteSource::builtIn(QStringLiteral("http://b.example"));
};

QTEST_GUILESS_MAIN(tst_QuoteSourceList)
#include "tst_QuoteSourceList.moc"
