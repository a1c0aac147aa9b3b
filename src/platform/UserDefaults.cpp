#include "UserDefaults.h"

#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSettings>
#include <QStandardPaths>

namespace {

struct FileIdentity {
    dev_t device;
    ino_t inode;
    bool operator==(const FileIdentity &) const = default;
};

std::optional<FileIdentity> fileIdentity(const QString &path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    return FileIdentity{info.st_dev, info.st_ino};
}

// The rename that put the new file in place survives a power cut only once its directory is
// flushed as well.
bool syncDirectory(const QString &path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

// The INI format keeps a one-element list as a plain string and an empty list as no value.
std::optional<QStringList> toStringList(const QVariant &value) {
    switch (value.typeId()) {
    case QMetaType::UnknownType:
        return QStringList();
    case QMetaType::QString:
        return QStringList{value.toString()};
    case QMetaType::QStringList:
        return value.toStringList();
    case QMetaType::QVariantList: {
        const QVariantList items = value.toList();
        QStringList strings;
        for (const QVariant &item : items) {
            if (item.typeId() != QMetaType::QString)
                return std::nullopt;
            strings.append(item.toString());
        }
        return strings;
    }
    default:
        return std::nullopt;
    }
}

// A process killed between QSettings creating its lock file and writing its id into it leaves the
// lock empty, and QLockFile waits 30 s before it takes an empty lock for stale. A live writer holds
// a file lock on it, so a lock file that can be locked belongs to no one, whatever it holds.
void removeAbandonedLock(const QString &settingsPath) {
    const QString lockPath = settingsPath + QStringLiteral(".lock");
    if (QFileInfo::exists(lockPath))
        QLockFile(lockPath).removeStaleLockFile();
}

std::optional<double> toDouble(const QVariant &value) {
    bool ok = false;
    const double number = value.toDouble(&ok);
    return ok ? std::optional(number) : std::nullopt;
}

// The INI format keeps a boolean as the text "true" or "false".
std::optional<bool> toBool(const QVariant &value) {
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    const QString text = value.toString();
    if (text == QLatin1String("true") || text == QLatin1String("false"))
        return text == QLatin1String("true");
    return std::nullopt;
}

// Blank lines, comments, section headers and key=value lines, a value going on over lines
// that end in a backslash: nothing QSettings would drop.
bool holdsOnlyIniLines(const QByteArray &content) {
    bool continued = false;
    for (const QByteArray &raw : content.split('\n')) {
        const QByteArray line = raw.trimmed();
        const bool understood = continued || line.isEmpty() || line.startsWith(';') ||
                                line.startsWith('#') || line.contains('=') ||
                                (line.startsWith('[') && line.endsWith(']'));
        if (!understood)
            return false;
        continued = line.endsWith('\\');
    }
    return true;
}

} // namespace

UserDefaults::UserDefaults(QString filePath)
    : m_filePath(std::move(filePath)) {}

UserDefaults &UserDefaults::standardUserDefaults() {
    // Never destroyed: a background task may still save while the process exits.
    static UserDefaults *const defaults = new UserDefaults(standardFilePath());
    return *defaults;
}

QString UserDefaults::standardFilePath() {
    const QString program = QStringLiteral(KABU_PROGRAM_NAME);
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u'/' +
           program + u'/' + program + QStringLiteral(".conf");
}

QStringList UserDefaults::value(const Setting<QStringList> &setting) const {
    const std::optional<QVariant> stored = read(setting.key);
    return stored ? toStringList(*stored).value_or(setting.defaultValue) : setting.defaultValue;
}

double UserDefaults::value(const Setting<double> &setting) const {
    const std::optional<QVariant> stored = read(setting.key);
    return stored ? toDouble(*stored).value_or(setting.defaultValue) : setting.defaultValue;
}

QString UserDefaults::value(const Setting<QString> &setting) const {
    const std::optional<QVariant> stored = read(setting.key);
    return stored && stored->typeId() == QMetaType::QString ? stored->toString()
                                                            : setting.defaultValue;
}

bool UserDefaults::value(const Setting<bool> &setting) const {
    const std::optional<QVariant> stored = read(setting.key);
    return stored ? toBool(*stored).value_or(setting.defaultValue) : setting.defaultValue;
}

bool UserDefaults::setValue(const Setting<QStringList> &setting, const QStringList &value) {
    return write(setting.key, value);
}

bool UserDefaults::setValue(const Setting<double> &setting, double value) {
    return write(setting.key, value);
}

bool UserDefaults::setValue(const Setting<QString> &setting, const QString &value) {
    return write(setting.key, value);
}

bool UserDefaults::setValue(const Setting<bool> &setting, bool value) {
    return write(setting.key, value);
}

bool UserDefaults::setDefaultValue(const Setting<double> &setting, double value) {
    return holdsOnlyReadableValues() && write(setting.key, value);
}

std::optional<QVariant> UserDefaults::read(const char *key) const {
    std::lock_guard lock(m_mutex);
    const QSettings settings(m_filePath, QSettings::IniFormat);
    if (!settings.contains(key))
        return std::nullopt;
    return settings.value(key);
}

// QSettings rewrites the file from what it parsed, silently dropping the lines it could not,
// so a write would lose them and rewrite a list the program reads as empty. Its status cannot
// tell: a file it parsed before comes from its cache without a word.
bool UserDefaults::holdsOnlyReadableValues() const {
    std::lock_guard lock(m_mutex);
    QFile file(m_filePath);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly) || !holdsOnlyIniLines(file.readAll()))
        return false;
    const QSettings settings(m_filePath, QSettings::IniFormat);
    if (settings.childGroups().contains(QLatin1String(KEY_CODES.key)))
        return false;
    return !settings.contains(KEY_CODES.key) ||
           toStringList(settings.value(KEY_CODES.key)).has_value();
}

// QSettings writes through QSaveFile (a flushed temporary file renamed into place) as long as
// atomic syncing is required, which is its default, so a crash leaves the old file or the new.
bool UserDefaults::write(const char *key, const QVariant &value) {
    std::lock_guard lock(m_mutex);
    removeAbandonedLock(m_filePath);
    QSettings settings(m_filePath, QSettings::IniFormat);
    settings.setAtomicSyncRequired(true);
    const std::optional<FileIdentity> before = fileIdentity(m_filePath);
    settings.setValue(key, value);
    settings.sync();
    // A failed write sets AccessError, unless a malformed file gave a FormatError first: QSettings
    // keeps only its first error. A completed write always leaves a new file in place.
    const QSettings::Status status = settings.status();
    const bool written = status == QSettings::NoError ||
                         (status == QSettings::FormatError && fileIdentity(m_filePath) != before);
    return written && syncDirectory(QFileInfo(m_filePath).absolutePath());
}
