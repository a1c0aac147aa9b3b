#pragma once

#include <mutex>
#include <optional>

#include <QString>
#include <QStringList>
#include <QVariant>

// The program's settings in one INI file, each declared once with its key, type and default.
// Reads never write; every write is on disk, whole and atomically, when it returns.
class UserDefaults {
public:
    template <typename T> struct Setting {
        const char *key;
        T defaultValue; // what a missing value, or one of another type, reads as
    };
    // The codes of the watch list in display order.
    static inline const Setting<QStringList> KEY_CODES{"KEY_CODES", {}};
    // The refresh interval in minutes; 0.0 until set. RefreshInterval has its default and floor.
    static inline const Setting<double> KEY_INTERVAL{"KEY_INTERVAL", 0.0};
    // The chosen quote source's file name in the sources folder; empty for the built-in one.
    static inline const Setting<QString> KEY_SOURCE{"KEY_SOURCE", {}};
    // One entry of alert rules per security, "CODE;above=3000;below=2500;change=3"; none by
    // default.
    static inline const Setting<QStringList> KEY_ALERTS{"KEY_ALERTS", {}};
    // One holding per security, "CODE;shares=100;cost=2450.5" (cost per share in yen); none by
    // default.
    static inline const Setting<QStringList> KEY_HOLDINGS{"KEY_HOLDINGS", {}};
    // The colours of rising and falling prices: "standard", "japanese" or "accessible".
    static inline const Setting<QString> KEY_COLOUR_SCHEME{"KEY_COLOUR_SCHEME",
                                                           QStringLiteral("standard")};
    // Whether the strip puts ▲ or ▼ before the price.
    static inline const Setting<bool> KEY_PRICE_ARROWS{"KEY_PRICE_ARROWS", false};
    // Refresh only while the exchange trades (and once after each session).
    static inline const Setting<bool> KEY_MARKET_HOURS_ONLY{"KEY_MARKET_HOURS_ONLY", false};

    explicit UserDefaults(QString filePath);
    UserDefaults(const UserDefaults &) = delete;
    UserDefaults &operator=(const UserDefaults &) = delete;

    // The user's settings, at $XDG_CONFIG_HOME/kabu-ticker/kabu-ticker.conf.
    static UserDefaults &standardUserDefaults();
    static QString standardFilePath();

    const QString &filePath() const { return m_filePath; }

    QStringList value(const Setting<QStringList> &setting) const;
    double value(const Setting<double> &setting) const;
    QString value(const Setting<QString> &setting) const;
    bool value(const Setting<bool> &setting) const;
    // False when the value could not be saved; the file then holds what it held before.
    bool setValue(const Setting<QStringList> &setting, const QStringList &value);
    bool setValue(const Setting<double> &setting, double value);
    bool setValue(const Setting<QString> &setting, const QString &value);
    bool setValue(const Setting<bool> &setting, bool value);
    // A default written back at launch: saved only when the file holds nothing the program
    // cannot read, since a write rewrites the whole file. False when not saved.
    bool setDefaultValue(const Setting<double> &setting, double value);

private:
    std::optional<QVariant> read(const char *key) const;
    bool write(const char *key, const QVariant &value);
    bool holdsOnlyReadableValues() const;

    const QString m_filePath;
    mutable std::mutex m_mutex; // one QSettings at a time, so that its status is ours alone
};
