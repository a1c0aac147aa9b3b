#include <QtTest>

#include "LoginItemSwitch.h"
#include "LoginItems.h"

namespace {

const QString kApplication = QStringLiteral("/x/kabu-ticker");

// Snapshot of a folder: each file's name and bytes.
using Folder = QMap<QString, QByteArray>;

Folder folderContents(const QString &path) {
    Folder contents;
    const QDir dir(path);
    const QStringList names = dir.entryList(QDir::Files | QDir::System | QDir::Hidden, QDir::Name);
    for (const QString &name : names) {
        QFile file(dir.filePath(name));
        contents.insert(name, file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("?"));
    }
    return contents;
}

QByteArray entryStarting(const QString &program) {
    return "[Desktop Entry]\nType=Application\nName=Some Program\nExec=" + program.toUtf8() +
           " %U\n";
}

// An autostart folder of its own, written by hand, and the switch over it.
struct Autostart {
    void write(const char *name, const QByteArray &contents) {
        QFile file(dir.filePath(QLatin1String(name)));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(contents), contents.size());
    }
    QStringList resolvedPaths() const {
        QStringList paths;
        for (const LoginItems::Item &item : LoginItems(dir.path()).items())
            paths.append(item.resolvedPath);
        return paths;
    }
    QTemporaryDir dir;
    LoginItemSwitch loginItem{LoginItems(dir.path()), kApplication};
};

} // namespace

class tst_LoginItemSwitch : public QObject {
    Q_OBJECT
private slots:
    void enableDetectDisable() {
        Autostart autostart;
        QVERIFY(!autostart.loginItem.isEnableLoginItem());

        QVERIFY(autostart.loginItem.enableLoginItem());
        QVERIFY(autostart.loginItem.isEnableLoginItem());
        QCOMPARE(autostart.resolvedPaths(), QStringList{kApplication});

        QVERIFY(autostart.loginItem.disableLoginItem());
        QVERIFY(!autostart.loginItem.isEnableLoginItem());
        QVERIFY(folderContents(autostart.dir.path()).isEmpty());
        QVERIFY(!autostart.loginItem.disableLoginItem());
    }

    // Two entries of ours: turning the switch off takes out the first in file-name order only,
    // so the program still counts as a login item.
    void disableRemovesOnlyTheFirstOfOurs() {
        Autostart autostart;
        autostart.write("b-second.desktop", entryStarting(kApplication));
        autostart.write("a-first.desktop", entryStarting(kApplication + QStringLiteral("/helper")));
        autostart.write("0-other.desktop", entryStarting(QStringLiteral("/x/other")));

        QVERIFY(autostart.loginItem.disableLoginItem());
        QCOMPARE(folderContents(autostart.dir.path()).keys(),
                 QStringList({"0-other.desktop", "b-second.desktop"}));
        QVERIFY(autostart.loginItem.isEnableLoginItem());

        QVERIFY(autostart.loginItem.disableLoginItem());
        QCOMPARE(folderContents(autostart.dir.path()).keys(), QStringList{"0-other.desktop"});
        QVERIFY(!autostart.loginItem.isEnableLoginItem());
    }

    void belongsToApplication_data() {
        QTest::addColumn<QString>("programPath");
        QTest::addColumn<bool>("belongs");
        QTest::newRow("the program") << kApplication << true;
        QTest::newRow("inside a folder of its name") << kApplication + "/bin/helper" << true;
        QTest::newRow("name with letters appended")
            << QStringLiteral("/x/kabu-ticker-beta") << false;
        QTest::newRow("its folder") << QStringLiteral("/x") << false;
        QTest::newRow("other case") << QStringLiteral("/x/Kabu-Ticker") << false;
        QTest::newRow("unresolved") << QString() << false;
    }
    void belongsToApplication() {
        QFETCH(QString, programPath);
        QFETCH(bool, belongs);
        QCOMPARE(LoginItemSwitch(LoginItems(), kApplication).belongsToApplication(programPath),
                 belongs);
    }

    // Entries of other programs, and ours where they do not resolve, are never ours to change.
    void othersAreNeverTouched() {
        Autostart autostart;
        autostart.write("a-beta.desktop", entryStarting(QStringLiteral("/x/kabu-ticker-beta")));
        autostart.write("b-hidden.desktop",
                        "[Desktop Entry]\nHidden=true\nExec=" + kApplication.toUtf8() + '\n');
        autostart.write("c-no-exec.desktop", "[Desktop Entry]\nName=" + kApplication.toUtf8());
        QVERIFY(QFile::link(autostart.dir.filePath(QStringLiteral("gone")),
                            autostart.dir.filePath(QStringLiteral("d-dangling.desktop"))));
        const Folder before = folderContents(autostart.dir.path());

        QVERIFY(!autostart.loginItem.isEnableLoginItem());
        QVERIFY(!autostart.loginItem.disableLoginItem());
        QCOMPARE(folderContents(autostart.dir.path()), before);

        QVERIFY(autostart.loginItem.enableLoginItem());
        QVERIFY(autostart.loginItem.isEnableLoginItem());
        QVERIFY(autostart.loginItem.disableLoginItem());
        QCOMPARE(folderContents(autostart.dir.path()), before);
    }

    // Without knowing its own path the program owns nothing and writes nothing.
    void unknownApplicationPathOwnsNothing() {
        Autostart autostart;
        autostart.write("a.desktop", entryStarting(kApplication));
        const LoginItemSwitch blind(LoginItems(autostart.dir.path()), QString());
        QVERIFY(!blind.isEnableLoginItem());
        QVERIFY(!blind.enableLoginItem());
        QVERIFY(!blind.disableLoginItem());
        QCOMPARE(folderContents(autostart.dir.path()).keys(), QStringList{"a.desktop"});
    }

    // The switch as the preferences window makes it: the user's autostart folder and the
    // running executable.
    void byDefaultStartsThisExecutable() {
        const QTemporaryDir home;
        const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", home.path().toUtf8());
        const bool enabled = LoginItemSwitch().enableLoginItem();
        const bool detected = LoginItemSwitch().isEnableLoginItem();
        qputenv("XDG_CONFIG_HOME", saved);

        QVERIFY(enabled);
        QVERIFY(detected);
        const QList<LoginItems::Item> items =
            LoginItems(home.filePath(QStringLiteral("autostart"))).items();
        QCOMPARE(items.size(), 1);
        QCOMPARE(items.first().resolvedPath,
                 QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath());
    }
};

QTEST_GUILESS_MAIN(tst_LoginItemSwitch)
#include "tst_LoginItemSwitch.moc"
