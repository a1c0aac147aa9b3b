#include <thread>

#include <QtTest>

#include "SettingsOnDisk.h"
#include "UserDefaults.h"
#include "saveseries/SaveSeries.h"

namespace {

const QString kFileName = QStringLiteral("kabu-ticker.conf");

struct FileState {
    QByteArray bytes;
    QDateTime modified;
    QStringList folder;
    bool operator==(const FileState &) const = default;
};

FileState fileState(const QString &file) {
    QFile f(file);
    const QByteArray bytes = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    const QFileInfo info(file);
    return {bytes, info.lastModified(), info.dir().entryList(QDir::AllEntries | QDir::Hidden)};
}

void writeFile(const QString &file, const QByteArray &bytes) {
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray binaryNoise() {
    QByteArray bytes;
    quint32 state = 12345;
    for (int i = 0; i < 4096; ++i) {
        state = state * 1103515245u + 12345u;
        bytes.append(static_cast<char>(state >> 24));
    }
    return bytes;
}

// The last number on a whole line: the writer prints one once its save has returned.
qint64 lastNumber(const QByteArray &lines) {
    const qsizetype end = lines.lastIndexOf('\n');
    return end < 0 ? -1 : lines.left(end).split('\n').last().toLongLong();
}

} // namespace

class tst_UserDefaults : public QObject {
    Q_OBJECT

private slots:
    void codesRoundTrip_data();
    void codesRoundTrip();
    void intervalRoundTrip();
    void appearanceRoundTrip();
    void otherSettingsSurviveAWrite();
    void missingKeyReadsDefaultAndWritesNothing_data();
    void missingKeyReadsDefaultAndWritesNothing();
    void unusableFileReadsEmptyAndStaysUntilFirstChange_data();
    void unusableFileReadsEmptyAndStaysUntilFirstChange();
    void saveOverMalformedFileSucceeds();
    void directoryInPlaceOfFileFailsToSave();
    void firstSaveCreatesTheFolder();
    void standardFileFollowsXdgConfigHome();
    void concurrentSavesLeaveOneWholeList();
    void killedSaveLeavesACompleteList();
    void abandonedEmptyLockDoesNotHoldUpASave();
};

void tst_UserDefaults::codesRoundTrip_data() {
    QTest::addColumn<QStringList>("codes");
    QTest::newRow("empty") << QStringList();
    QTest::newRow("one") << QStringList{"7203"};
    QTest::newRow("order kept") << QStringList{"9984", "7203", "6758", "7974"};
    QTest::newRow("duplicates kept") << QStringList{"7203", "6758", "7203"};
    QTest::newRow("one empty code") << QStringList{""};
    QTest::newRow("text the format escapes")
        << QStringList{"a,b", " lead",      "trail ", "quo\"te",     "back\\slash",
                       "@at", "semi;colon", "eq=ual", "line\nbreak", QStringLiteral("日本"),
                       ""};
}

void tst_UserDefaults::codesRoundTrip() {
    QFETCH(QStringList, codes);
    const QTemporaryDir dir;
    const QString file = dir.filePath(kFileName);
    UserDefaults defaults(file);
    QVERIFY(defaults.setValue(UserDefaults::KEY_CODES, {"1111", "2222"}));

    QVERIFY(defaults.setValue(UserDefaults::KEY_CODES, codes));

    QCOMPARE(defaults.value(UserDefaults::KEY_CODES), codes);
    QCOMPARE(codesOnDisk(file), codes);
}

void tst_UserDefaults::intervalRoundTrip() {
    const QTemporaryDir dir;
    const QString file = dir.filePath(kFileName);
    UserDefaults defaults(file);
    QCOMPARE(defaults.value(UserDefaults::KEY_INTERVAL), 0.0);

    QVERIFY(defaults.setValue(UserDefaults::KEY_INTERVAL, 7.5));
    QCOMPARE(UserDefaults(file).value(UserDefaults::KEY_INTERVAL), 7.5);

    writeFile(dir.filePath(QStringLiteral("words.conf")), "KEY_INTERVAL=ten\n");
    QCOMPARE(
        UserDefaults(dir.filePath(QStringLiteral("words.conf"))).value(UserDefaults::KEY_INTERVAL),
        0.0);
}

// The colour scheme and the arrows: read back as written; a value of another kind reads as the
// default.
void tst_UserDefaults::appearanceRoundTrip() {
    const QTemporaryDir dir;
    const QString file = dir.filePath(kFileName);
    UserDefaults defaults(file);
    QCOMPARE(defaults.value(UserDefaults::KEY_COLOUR_SCHEME), QStringLiteral("standard"));
    QCOMPARE(defaults.value(UserDefaults::KEY_PRICE_ARROWS), false);

    QVERIFY(defaults.setValue(UserDefaults::KEY_COLOUR_SCHEME, QStringLiteral("japanese")));
    QVERIFY(defaults.setValue(UserDefaults::KEY_PRICE_ARROWS, true));
    QCOMPARE(UserDefaults(file).value(UserDefaults::KEY_COLOUR_SCHEME), QStringLiteral("japanese"));
    QCOMPARE(UserDefaults(file).value(UserDefaults::KEY_PRICE_ARROWS), true);

    const QString odd = dir.filePath(QStringLiteral("odd.conf"));
    writeFile(odd, "[General]\nKEY_COLOUR_SCHEME=a, b\nKEY_PRICE_ARROWS=1\n");
    QCOMPARE(UserDefaults(odd).value(UserDefaults::KEY_COLOUR_SCHEME), QStringLiteral("standard"));
    QCOMPARE(UserDefaults(odd).value(UserDefaults::KEY_PRICE_ARROWS), false);
}

void tst_UserDefaults::otherSettingsSurviveAWrite() {
    const QTemporaryDir dir;
    const QString file = dir.filePath(kFileName);
    UserDefaults defaults(file);

    QVERIFY(defaults.setValue(UserDefaults::KEY_INTERVAL, 12.5));
    QVERIFY(defaults.setValue(UserDefaults::KEY_CODES, {"7203"}));

    QCOMPARE(codesOnDisk(file), QStringList{"7203"});
    QCOMPARE(UserDefaults(file).value(UserDefaults::KEY_INTERVAL), 12.5);
}

void tst_UserDefaults::missingKeyReadsDefaultAndWritesNothing_data() {
    QTest::addColumn<QByteArray>("content"); // null: no file at all
    QTest::newRow("no file") << QByteArray();
    QTest::newRow("file without the key") << QByteArray("[General]\nKEY_INTERVAL=7.5\n");
}

void tst_UserDefaults::missingKeyReadsDefaultAndWritesNothing() {
    QFETCH(QByteArray, content);
    const QTemporaryDir dir;
    const QString file = dir.filePath(kFileName);
    if (!content.isNull())
        writeFile(file, content);
    const FileState before = fileState(file);

    QCOMPARE(UserDefaults(file).value(UserDefaults::KEY_CODES), QStringList());

    QVERIFY(fileState(file) == before);
    QCOMPARE(QFileInfo::exists(file), !content.isNull());
}

void tst_UserDefaults::unusableFileReadsEmptyAndStaysUntilFirstChange_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("binary noise") << binaryNoise();
    QTest::newRow("broken section and noise") << QByteArray("[KEY_CODES\n") + binaryNoise();
    QTest::newRow("an integer") << QByteArray(
        "[General]\nKEY_CODES=@Variant(\\0\\0\\0\\x2\\0\\0\\0*)\n");
    QTest::newRow("bytes") << QByteArray("[General]\nKEY_CODES=@ByteArray(7203)\n");
    QTest::newRow("a rectangle") << QByteArray("[General]\nKEY_CODES=@Rect(1 2 3 4)\n");
    QTest::newRow("a list holding an integer")
        << QByteArray("[General]\nKEY_CODES=@Variant(\\0\\0\\0\\x2\\0\\0\\0*), 7203\n");
    QTest::newRow("a group") << QByteArray("[KEY_CODES]\n0=7203\n1=6758\n");
}

void tst_UserDefaults::unusableFileReadsEmptyAndStaysUntilFirstChange() {
    QFETCH(QByteArray, content);
    const QTemporaryDir dir;
    const QString file = dir.filePath(kFileName);
    writeFile(file, content);
    const FileState before = fileState(file);
    UserDefaults defaults(file);

    QCOMPARE(defaults.value(UserDefaults::KEY_CODES), QStringList());
    QCOMPARE(defaults.value(UserDefaults::KEY_CODES), QStringList());
    QVERIFY(fileState(file) == before);

    QVERIFY(defaults.setValue(UserDefaults::KEY_CODES, {"7203", "6758"}));
    QCOMPARE(codesOnDisk(file), (QStringList{"7203", "6758"}));
}

void tst_UserDefaults::saveOverMalformedFileSucceeds() {
    const QTemporaryDir dir;
    const QString file = dir.filePath(kFileName);
    writeFile(file, "[General\nKEY_INTERVAL=7.5\n");

    QVERIFY(UserDefaults(file).setValue(UserDefaults::KEY_CODES, {"9984"}));

    QCOMPARE(codesOnDisk(file), QStringList{"9984"});
}

void tst_UserDefaults::directoryInPlaceOfFileFailsToSave() {
    const QTemporaryDir dir;
    const QString file = dir.filePath(kFileName);
    QVERIFY(QDir().mkpath(file));
    UserDefaults defaults(file);

    QCOMPARE(defaults.value(UserDefaults::KEY_CODES), QStringList());
    QVERIFY(!defaults.setValue(UserDefaults::KEY_CODES, {"7203"}));
    QVERIFY(!defaults.setValue(UserDefaults::KEY_INTERVAL, 7.5));

    QVERIFY(QFileInfo(file).isDir());
    QCOMPARE(defaults.value(UserDefaults::KEY_CODES), QStringList());
}

void tst_UserDefaults::firstSaveCreatesTheFolder() {
    const QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("config/kabu-ticker/") + kFileName);

    QVERIFY(UserDefaults(file).setValue(UserDefaults::KEY_CODES, {"7974"}));

    QCOMPARE(codesOnDisk(file), QStringList{"7974"});
}

void tst_UserDefaults::standardFileFollowsXdgConfigHome() {
    const QTemporaryDir dir;
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
    const QString chosen = UserDefaults::standardFilePath();
    qunsetenv("XDG_CONFIG_HOME");
    const QString fallback = UserDefaults::standardFilePath();
    if (!saved.isNull())
        qputenv("XDG_CONFIG_HOME", saved);

    QCOMPARE(chosen, dir.path() + QStringLiteral("/kabu-ticker/kabu-ticker.conf"));
    QCOMPARE(fallback, QDir::homePath() + QStringLiteral("/.config/kabu-ticker/kabu-ticker.conf"));
}

void tst_UserDefaults::concurrentSavesLeaveOneWholeList() {
    const QTemporaryDir dir;
    const QString file = dir.filePath(kFileName);
    UserDefaults defaults(file);
    const QList<QStringList> lists{{"7203", "6758"}, {"9984"}, {"7974", "7203", "8306"}};
    std::atomic<int> failures = 0;
    std::vector<std::thread> writers;
    for (const QStringList &list : lists)
        writers.emplace_back([&defaults, &failures, list] {
            for (int i = 0; i < 20; ++i)
                failures += defaults.setValue(UserDefaults::KEY_CODES, list) ? 0 : 1;
        });
    for (std::thread &writer : writers)
        writer.join();

    QCOMPARE(failures.load(), 0);
    QVERIFY(lists.contains(codesOnDisk(file)));
}

// A writer process killed at many moments of a series of saves: each time, the file holds exactly
// the last list whose save had returned, or the one after it, never a broken one.
void tst_UserDefaults::killedSaveLeavesACompleteList() {
    constexpr int kKills = 50;
    const QTemporaryDir dir;
    const QString file = dir.filePath(kFileName);
    int midSave = 0;
    int newerThanReported = 0;
    for (int round = 0; round < kKills; ++round) {
        QProcess writer;
        writer.start(QStringLiteral(KABU_SAVE_SERIES),
                     {QStringLiteral("write"), file, QString::number(round * 1000000LL)});
        QVERIFY(writer.waitForStarted(10000));
        QByteArray reported;
        while (reported.count('\n') < 1 + round % 3 && writer.waitForReadyRead(10000))
            reported += writer.readAllStandardOutput();
        std::this_thread::sleep_for(std::chrono::microseconds(round * 397 % 20000));
        writer.kill();
        QVERIFY(writer.waitForFinished(10000));
        reported += writer.readAllStandardOutput();
        const qint64 lastSaved = lastNumber(reported);
        QVERIFY2(lastSaved >= round * 1000000LL, reported.constData());

        const qint64 onDisk = saveSeriesNumber(codesOnDisk(file));
        QVERIFY2(onDisk == lastSaved || onDisk == lastSaved + 1,
                 qPrintable(QStringLiteral("saved %1, on disk %2").arg(lastSaved).arg(onDisk)));
        newerThanReported += onDisk == lastSaved + 1 ? 1 : 0;
        // A lock left behind, empty or naming the dead writer, must not hold up the next writer.
        midSave += QFileInfo::exists(file + QStringLiteral(".lock")) ? 1 : 0;
    }
    // QSettings holds its lock file from before it reads until after the rename.
    qInfo("%d kills, %d in the middle of a save; %d left the save in flight complete", kKills,
          midSave, newerThanReported);
}

// QLockFile would wait 30 s before taking such a lock for stale.
void tst_UserDefaults::abandonedEmptyLockDoesNotHoldUpASave() {
    const QTemporaryDir dir;
    const QString file = dir.filePath(kFileName);
    QFile lock(file + QStringLiteral(".lock"));
    QVERIFY(lock.open(QIODevice::WriteOnly));
    QVERIFY(
        lock.setFileTime(QDateTime::currentDateTime().addSecs(-5), QFile::FileModificationTime));
    lock.close();

    QElapsedTimer timer;
    timer.start();
    QVERIFY(UserDefaults(file).setValue(UserDefaults::KEY_CODES, {"7203"}));
    QVERIFY2(timer.elapsed() < 10000, qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(codesOnDisk(file), QStringList{"7203"});
}

QTEST_GUILESS_MAIN(tst_UserDefaults)
#include "tst_UserDefaults.moc"
