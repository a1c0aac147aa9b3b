#include "LoginItems.h"

#include <optional>
#include <utility>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

const QString kDisplayName = QStringLiteral("Kabu Ticker");
const QString kFileBaseName = QStringLiteral(KABU_PROGRAM_NAME);
// Enough for any reasonable folder; beyond it insertion gives up rather than loop on.
constexpr int kMaxFileNameTries = 1000;

bool isArgumentSeparator(QChar c) {
    return c == u' ' || c == u'\t';
}

// The characters a backslash escapes inside a quoted Exec argument.
bool isQuotedEscape(QChar c) {
    return c == u'"' || c == u'`' || c == u'$' || c == u'\\';
}

// A path with symbolic links resolved, so that a link to a program counts as that program; a
// path that does not exist (yet) is kept, only cleaned.
QString resolvedFilePath(const QString &path) {
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(path) : canonical;
}

// What a general escape of a string value stands for; null after a backslash that is left for
// the Exec quoting rules.
QChar unescapedCharacter(QChar escaped) {
    switch (escaped.unicode()) {
    case u's':
        return u' ';
    case u'n':
        return u'\n';
    case u't':
        return u'\t';
    case u'r':
        return u'\r';
    case u'\\':
        return u'\\';
    default:
        return {};
    }
}

QString unescapedString(QStringView value) {
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar meant =
            value[i] == u'\\' && i + 1 < value.size() ? unescapedCharacter(value[i + 1]) : QChar();
        if (meant.isNull()) {
            out += value[i];
        } else {
            out += meant;
            ++i;
        }
    }
    return out;
}

QString escapedString(const QString &value) {
    QString out;
    out.reserve(value.size());
    for (const QChar c : value) {
        if (c == u'\\')
            out += QStringLiteral("\\\\");
        else if (c == u'\n')
            out += QStringLiteral("\\n");
        else if (c == u'\t')
            out += QStringLiteral("\\t");
        else if (c == u'\r')
            out += QStringLiteral("\\r");
        else
            out += c;
    }
    return out;
}

// The program an Exec command line starts: its first argument without quotes and escapes, with
// %% read as a literal percent sign. Field codes are arguments of their own, never part of it.
std::optional<QString> firstArgument(QStringView exec) {
    qsizetype i = 0;
    while (i < exec.size() && isArgumentSeparator(exec[i]))
        ++i;
    QString argument;
    bool quoted = false;
    for (; i < exec.size() && (quoted || !isArgumentSeparator(exec[i])); ++i) {
        if (exec[i] == u'"')
            quoted = !quoted;
        else if (quoted && exec[i] == u'\\' && i + 1 < exec.size() && isQuotedEscape(exec[i + 1]))
            argument += exec[++i];
        else
            argument += exec[i];
    }
    if (quoted || argument.isEmpty())
        return std::nullopt;
    return argument.replace(QStringLiteral("%%"), QStringLiteral("%"));
}

// The whole path in double quotes with the characters that keep a meaning there escaped, and
// percent signs doubled so that none reads as a field code.
QString quotedArgument(const QString &argument) {
    QString quoted = QStringLiteral("\"");
    for (const QChar c : argument) {
        if (isQuotedEscape(c))
            quoted += u'\\';
        else if (c == u'%')
            quoted += u'%';
        quoted += c;
    }
    return quoted + u'"';
}

// The keys of the [Desktop Entry] group; of a key given twice the last counts, as in GLib.
QHash<QString, QString> desktopEntryKeys(const QString &text) {
    QHash<QString, QString> keys;
    bool inEntryGroup = false;
    const QStringList lines = text.split(u'\n');
    for (const QString &rawLine : lines) {
        const QString line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[')) {
            inEntryGroup = line == QStringLiteral("[Desktop Entry]");
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (inEntryGroup && equals > 0)
            keys.insert(line.left(equals).trimmed(), line.mid(equals + 1).trimmed());
    }
    return keys;
}

// A bare program name is looked up in PATH as the desktop would; a relative path means nothing.
QString absoluteProgramPath(const QString &program) {
    if (QDir::isAbsolutePath(program))
        return resolvedFilePath(program);
    if (program.contains(u'/'))
        return {};
    const QString found = QStandardPaths::findExecutable(program);
    return found.isEmpty() ? QString() : resolvedFilePath(found);
}

QString resolveDesktopFile(const QString &file) {
    // Never opened unless a regular file: a FIFO would block, a dangling link cannot be read.
    if (!QFileInfo(file).isFile())
        return {};
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return {};
    const QHash<QString, QString> keys = desktopEntryKeys(QString::fromUtf8(in.readAll()));
    const auto exec = keys.constFind(QStringLiteral("Exec"));
    if (keys.value(QStringLiteral("Hidden")) == QStringLiteral("true") || exec == keys.cend())
        return {};
    const std::optional<QString> program = firstArgument(unescapedString(*exec));
    return program ? absoluteProgramPath(*program) : QString();
}

// Started after the panel, so that the tray icon finds its tray; skipped once the program is gone.
QByteArray desktopFileStarting(const QString &programPath) {
    const QString text = QStringLiteral("[Desktop Entry]\n"
                                        "Type=Application\n"
                                        "Name=%1\n"
                                        "Exec=%2\n"
                                        "TryExec=%3\n"
                                        "X-GNOME-Autostart-enabled=true\n"
                                        "X-GNOME-Autostart-Delay=2\n"
                                        "X-KDE-autostart-after=panel\n")
                             .arg(kDisplayName, escapedString(quotedArgument(programPath)),
                                  escapedString(programPath));
    return text.toUtf8();
}

} // namespace

LoginItems::LoginItems(QString autostartDir)
    : m_directory(QFileInfo(std::move(autostartDir)).absoluteFilePath()) {}

QString LoginItems::standardDirectory() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart");
}

QString LoginItems::applicationPath() {
    if (!QCoreApplication::instance())
        return {};
    return resolvedFilePath(QCoreApplication::applicationFilePath());
}

QList<LoginItems::Item> LoginItems::items() const {
    const QDir dir(m_directory);
    // System lists FIFOs and dangling links as well: they are items that do not resolve.
    const QStringList names =
        dir.entryList({QStringLiteral("*.desktop")}, QDir::Files | QDir::System, QDir::Name);
    QList<Item> items;
    for (const QString &name : names) {
        const QString file = dir.filePath(name);
        items.append({file, resolveDesktopFile(file)});
    }
    return items;
}

bool LoginItems::insertItem(const QString &programPath) const {
    if (!QDir::isAbsolutePath(programPath) || !QDir().mkpath(m_directory))
        return false;
    const QString file = fileNameFor(programPath);
    if (file.isEmpty())
        return false;
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    out.write(desktopFileStarting(programPath));
    return out.commit();
}

bool LoginItems::removeItem(const Item &item) const {
    return QFile::remove(item.file);
}

// Our own name, unless a file of that name starts something else: the user's files are not ours
// to replace.
QString LoginItems::fileNameFor(const QString &programPath) const {
    const QDir dir(m_directory);
    for (int n = 1; n <= kMaxFileNameTries; ++n) {
        const QString name =
            n == 1 ? kFileBaseName : QStringLiteral("%1-%2").arg(kFileBaseName).arg(n);
        const QString file = dir.filePath(name + QStringLiteral(".desktop"));
        const QFileInfo info(file);
        if (!info.exists() && !info.isSymLink())
            return file;
        if (resolveDesktopFile(file) == resolvedFilePath(programPath))
            return file;
    }
    return {};
}
