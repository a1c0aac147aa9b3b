#include <sys/stat.h>
#include <unistd.h>

#include <QtTest>

#include "LoginItems.h"

namespace {

void writeFile(const QString &path, const QByteArray &contents) {
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    QCOMPARE(file.write(contents), contents.size());
}

QByteArray readFile(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

QByteArray entryExec(const QByteArray &exec) {
    return "[Desktop Entry]\nType=Application\nName=Other\nExec=" + exec + '\n';
}

QStringList fileNames(const QList<LoginItems::Item> &items) {
    QStringList names;
    for (const LoginItems::Item &item : items)
        names.append(QFileInfo(item.file).fileName());
    return names;
}

QStringList directoryListing(const QString &dir) {
    return QDir(dir).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// One desktop file in a fresh autostart folder.
QString resolvedAlone(const QByteArray &contents) {
    const QTemporaryDir dir;
    writeFile(dir.filePath(QStringLiteral("item.desktop")), contents);
    const QList<LoginItems::Item> items = LoginItems(dir.path()).items();
    return items.size() == 1 ? items.first().resolvedPath
                             : QStringLiteral("<%1 items>").arg(items.size());
}

} // namespace

class tst_LoginItems : public QObject {
    Q_OBJECT
private slots:
    void listsDesktopFilesInNameOrder() {
        const QTemporaryDir dir;
        for (const char *name : {"b.desktop", "a.desktop", "B.desktop", "notes.txt", "c.desktop~"})
            writeFile(dir.filePath(QLatin1String(name)), entryExec("/opt/x"));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("d.desktop")));

        const QList<LoginItems::Item> items = LoginItems(dir.path()).items();
        QCOMPARE(fileNames(items), QStringList({"B.desktop", "a.desktop", "b.desktop"}));
        QCOMPARE(items.first().file,
                 QDir(dir.path()).absoluteFilePath(QStringLiteral("B.desktop")));
        QCOMPARE(items.first().resolvedPath, QStringLiteral("/opt/x"));
    }

    // The program is the first argument of Exec, read through the desktop-file string escapes
    // and then the quoting rules.
    void resolvesTheProgramExecStarts_data() {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("program");
        const auto row = [](const char *name, const QByteArray &exec, const QString &program) {
            QTest::newRow(name) << entryExec(exec) << program;
        };
        row("plain", "/opt/kabu/bin/tool", "/opt/kabu/bin/tool");
        row("arguments and field codes", "/opt/tool --flag %u %F", "/opt/tool");
        row("quoted with spaces", "\"/opt/My Apps/tool\" %U", "/opt/My Apps/tool");
        row("unambiguous escapes", "\"/opt/a\\\\\\\\b\\\\$c\\\\`d\\\\\"e\"", "/opt/a\\b$c`d\"e");
        row("single-escaped quote", "\"/opt/a\\\"b\" x", "/opt/a\"b");
        row("doubled percent", "\"/opt/100%% tool\"", "/opt/100% tool");
        row("unclean path", "/opt//kabu/./bin/../tool", "/opt/kabu/tool");
        row("unterminated quote", "\"/opt/tool", QString());
        row("empty quotes", "\"\" /opt/tool", QString());
        row("relative path", "bin/tool", QString());
        row("name not in PATH", "no-such-program-kabu-test", QString());
        row("name in PATH", "sh -c true",
            QFileInfo(QStandardPaths::findExecutable(QStringLiteral("sh"))).canonicalFilePath());

        const QByteArray head = "[Desktop Entry]\nType=Application\n";
        QTest::newRow("spaces around =") << head + "Exec = /opt/tool\n"
                                         << QStringLiteral("/opt/tool");
        QTest::newRow("comments and CRLF")
            << QByteArray("# Exec=/opt/comment\r\n[Desktop Entry]\r\nExec=/opt/tool\r\n")
            << QStringLiteral("/opt/tool");
        QTest::newRow("no Exec") << head << QString();
        QTest::newRow("Exec of another group") << head + "[Desktop Action New]\nExec=/opt/tool\n"
                                               << QString();
        QTest::newRow("Exec before the group") << "Exec=/opt/tool\n" + head << QString();
        QTest::newRow("Hidden=true") << head + "Hidden=true\nExec=/opt/tool\n" << QString();
        QTest::newRow("Hidden=false") << head + "Hidden=false\nExec=/opt/tool\n"
                                      << QStringLiteral("/opt/tool");
        QTest::newRow("Hidden in another group") << head + "Exec=/opt/tool\n[Other]\nHidden=true\n"
                                                 << QStringLiteral("/opt/tool");
        QTest::newRow("not a desktop file") << QByteArray("\x7f"
                                                          "ELF\x02\x01\x01",
                                                          7)
                                            << QString();
    }
    void resolvesTheProgramExecStarts() {
        QFETCH(QByteArray, contents);
        QFETCH(QString, program);
        const QString resolved = resolvedAlone(contents);
        QCOMPARE(resolved, program);
        QCOMPARE(resolved.isNull(), program.isNull());
    }

    void linksResolveToTheirTarget() {
        const QTemporaryDir dir;
        const QString real = QFileInfo(dir.path()).canonicalFilePath() + QStringLiteral("/real");
        writeFile(real, "#!/bin/sh\n");
        QVERIFY(QFile::link(real, dir.filePath(QStringLiteral("link"))));
        QCOMPARE(resolvedAlone(entryExec(dir.filePath(QStringLiteral("link")).toUtf8())), real);
    }

    // Whatever cannot be read is an item all the same, one that does not resolve, and reading
    // the list never blocks on it.
    void unreadableFilesAreItemsThatDoNotResolve() {
        const QTemporaryDir dir;
        const QDir autostart(dir.path());
        writeFile(autostart.filePath(QStringLiteral("b-good.desktop")), entryExec("/opt/tool"));
        QVERIFY(QFile::link(autostart.filePath(QStringLiteral("gone")),
                            autostart.filePath(QStringLiteral("a-dangling.desktop"))));
        QCOMPARE(::mkfifo(qPrintable(autostart.filePath(QStringLiteral("c-fifo.desktop"))), 0600),
                 0);
        const QString locked = autostart.filePath(QStringLiteral("d-locked.desktop"));
        writeFile(locked, entryExec("/opt/locked"));
        QVERIFY(QFile::setPermissions(locked, QFileDevice::Permissions()));
        const bool lockedIsUnreadable = ::geteuid() != 0; // root reads it anyway

        const QList<LoginItems::Item> items = LoginItems(dir.path()).items();
        QCOMPARE(fileNames(items), QStringList({"a-dangling.desktop", "b-good.desktop",
                                                "c-fifo.desktop", "d-locked.desktop"}));
        QVERIFY(items[0].resolvedPath.isNull());
        QCOMPARE(items[1].resolvedPath, QStringLiteral("/opt/tool"));
        QVERIFY(items[2].resolvedPath.isNull());
        if (lockedIsUnreadable)
            QVERIFY(items[3].resolvedPath.isNull());
    }

    void insertWritesAStartupEntry() {
        const QTemporaryDir home;
        const QString autostart = home.filePath(QStringLiteral("config/autostart"));
        const LoginItems loginItems(autostart);
        QVERIFY(loginItems.insertItem(QStringLiteral("/opt/kabu/kabu-ticker")));

        QCOMPARE(directoryListing(autostart), QStringList{"kabu-ticker.desktop"});
        const QByteArray text = readFile(autostart + QStringLiteral("/kabu-ticker.desktop"));
        QVERIFY2(text.startsWith("[Desktop Entry]\n"), text);
        const QList<QByteArray> lines = text.split('\n');
        for (const char *line :
             {"Type=Application", "Name=Kabu Ticker", "Exec=\"/opt/kabu/kabu-ticker\"",
              "TryExec=/opt/kabu/kabu-ticker", "X-GNOME-Autostart-enabled=true",
              "X-GNOME-Autostart-Delay=2", "X-KDE-autostart-after=panel"})
            QVERIFY2(lines.contains(line), line);
        QCOMPARE(loginItems.items().size(), 1);
        QCOMPARE(loginItems.items().first().resolvedPath, QStringLiteral("/opt/kabu/kabu-ticker"));
    }

    // Written with desktop-file quoting, read back to the very same path.
    void execQuotingRoundTrips_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("execLine");
        QTest::newRow("spaces and quotes")
            << QStringLiteral("/opt/Kabu \"Ticker\"/bin $x\\y")
            << QByteArray("Exec=\"/opt/Kabu \\\\\"Ticker\\\\\"/bin \\\\$x\\\\\\\\y\"");
        QTest::newRow("backquote and percent") << QStringLiteral("/opt/`a`/100% %u")
                                               << QByteArray("Exec=\"/opt/\\\\`a\\\\`/100%% %%u\"");
        QTest::newRow("shell characters") << QStringLiteral("/opt/a'b;c&d|e*f?g#h(i)<j>~k")
                                          << QByteArray("Exec=\"/opt/a'b;c&d|e*f?g#h(i)<j>~k\"");
        QTest::newRow("control characters")
            << QStringLiteral("/opt/a\tb\nc") << QByteArray("Exec=\"/opt/a\\tb\\nc\"");
        QTest::newRow("non-ASCII") << QStringLiteral("/opt/株価 ティッカー/kabu")
                                   << QStringLiteral("Exec=\"/opt/株価 ティッカー/kabu\"").toUtf8();
    }
    void execQuotingRoundTrips() {
        QFETCH(QString, path);
        QFETCH(QByteArray, execLine);
        const QTemporaryDir dir;
        const LoginItems loginItems(dir.path());
        QVERIFY(loginItems.insertItem(path));
        const QList<LoginItems::Item> items = loginItems.items();
        QCOMPARE(items.size(), 1);
        QVERIFY(readFile(items.first().file).split('\n').contains(execLine));
        QCOMPARE(items.first().resolvedPath, path);
    }

    // A file of our name that starts another program, or nothing readable, is the user's: it
    // stays as it is and the new item takes the next free name.
    void insertNeverReplacesAnotherFile_data() {
        QTest::addColumn<QByteArray>("existing");
        QTest::newRow("another program") << entryExec("/opt/other/kabu-ticker");
        QTest::newRow("longer name") << entryExec("/opt/kabu/kabu-ticker-beta");
        QTest::newRow("ours but hidden")
            << QByteArray("[Desktop Entry]\nHidden=true\nExec=/opt/kabu/kabu-ticker\n");
        QTest::newRow("no Exec") << QByteArray("[Desktop Entry]\nType=Application\n");
    }
    void insertNeverReplacesAnotherFile() {
        QFETCH(QByteArray, existing);
        const QTemporaryDir dir;
        const QString taken = dir.filePath(QStringLiteral("kabu-ticker.desktop"));
        writeFile(taken, existing);
        writeFile(dir.filePath(QStringLiteral("kabu-ticker-2.desktop")), existing);

        const LoginItems loginItems(dir.path());
        QVERIFY(loginItems.insertItem(QStringLiteral("/opt/kabu/kabu-ticker")));
        QCOMPARE(readFile(taken), existing);
        QCOMPARE(readFile(dir.filePath(QStringLiteral("kabu-ticker-2.desktop"))), existing);
        const QList<LoginItems::Item> items = loginItems.items();
        QCOMPARE(fileNames(items), QStringList({"kabu-ticker-2.desktop", "kabu-ticker-3.desktop",
                                                "kabu-ticker.desktop"}));
        QCOMPARE(items[1].resolvedPath, QStringLiteral("/opt/kabu/kabu-ticker"));
        QCOMPARE(
            directoryListing(dir.path()),
            QStringList({"kabu-ticker-2.desktop", "kabu-ticker-3.desktop", "kabu-ticker.desktop"}));
    }

    void insertRewritesItsOwnFile() {
        const QTemporaryDir dir;
        const QString own = dir.filePath(QStringLiteral("kabu-ticker.desktop"));
        writeFile(own, entryExec("/opt/kabu/kabu-ticker --old"));
        QVERIFY(LoginItems(dir.path()).insertItem(QStringLiteral("/opt/kabu/kabu-ticker")));
        QCOMPARE(directoryListing(dir.path()), QStringList{"kabu-ticker.desktop"});
        QVERIFY(readFile(own).contains("Name=Kabu Ticker"));
    }

    void insertFailsWhereNothingCanBeWritten() {
        const QTemporaryDir dir;
        const QString blocker = dir.filePath(QStringLiteral("autostart"));
        writeFile(blocker, "a file where the folder should be");
        QVERIFY(!LoginItems(blocker).insertItem(QStringLiteral("/opt/kabu/kabu-ticker")));
        QCOMPARE(readFile(blocker), QByteArray("a file where the folder should be"));
    }

    // An empty path would otherwise match any file that does not resolve.
    void insertWantsAnAbsolutePath() {
        const QTemporaryDir dir;
        const QString taken = dir.filePath(QStringLiteral("kabu-ticker.desktop"));
        writeFile(taken, "[Desktop Entry]\n");
        for (const QString &path : {QString(), QStringLiteral("kabu-ticker")})
            QVERIFY2(!LoginItems(dir.path()).insertItem(path), qPrintable(path));
        QCOMPARE(directoryListing(dir.path()), QStringList{"kabu-ticker.desktop"});
        QCOMPARE(readFile(taken), QByteArray("[Desktop Entry]\n"));
    }

    void removeDeletesThatFileOnly() {
        const QTemporaryDir dir;
        for (const char *name : {"a.desktop", "b.desktop", "c.desktop"})
            writeFile(dir.filePath(QLatin1String(name)), entryExec("/opt/tool"));
        const LoginItems loginItems(dir.path());
        QVERIFY(loginItems.removeItem(loginItems.items().at(1)));
        QCOMPARE(directoryListing(dir.path()), QStringList({"a.desktop", "c.desktop"}));
        QVERIFY(!loginItems.removeItem({dir.filePath(QStringLiteral("b.desktop")), QString()}));
    }

    void standardDirectoryFollowsXdgConfigHome() {
        const QTemporaryDir home;
        const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", home.path().toUtf8());
        const QString directory = LoginItems::standardDirectory();
        const QString byDefault = LoginItems().directory();
        qputenv("XDG_CONFIG_HOME", saved);
        QCOMPARE(directory, home.path() + QStringLiteral("/autostart"));
        QCOMPARE(byDefault, directory);
    }
};

QTEST_GUILESS_MAIN(tst_LoginItems)
#include "tst_LoginItems.moc"
