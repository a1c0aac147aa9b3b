#pragma once

#include <memory>

#include <QByteArray>
#include <QList>
#include <QMetaType>
#include <QObject>
#include <QPoint>
#include <QString>

class StatusNotifierRegistrar;

// One icon size as the status item protocol carries it: ARGB32 pixels in network byte order.
struct StatusNotifierPixmap {
    int width = 0;
    int height = 0;
    QByteArray argb32;

    // From rows of host-order ARGB32 pixels, as QImage::Format_ARGB32 keeps them.
    static StatusNotifierPixmap fromArgb32(int width, int height, const uchar *bits,
                                           qsizetype bytesPerLine);
    bool operator==(const StatusNotifierPixmap &) const = default;
};
using StatusNotifierPixmaps = QList<StatusNotifierPixmap>;

struct StatusNotifierToolTip {
    QString iconName;
    StatusNotifierPixmaps iconPixmaps;
    QString title;
    QString text; // may hold the simple markup hosts accept
    bool operator==(const StatusNotifierToolTip &) const = default;
};

Q_DECLARE_METATYPE(StatusNotifierPixmap)
Q_DECLARE_METATYPE(StatusNotifierToolTip)

// The program's item in the desktop's panel (org.kde.StatusNotifierItem): holds what the panel
// shows, tells what changed, and passes the panel's clicks on. Creating it puts it on the session
// bus (at most one per process); it registers with the panel's watcher whenever one is there.
class StatusNotifierItem : public QObject {
    Q_OBJECT
public:
    enum class Status { Passive, Active, NeedsAttention };

    // `id` names the program to the panel, for instance "kabu-ticker".
    explicit StatusNotifierItem(const QString &id, QObject *parent = nullptr);
    ~StatusNotifierItem() override;

    // Whether the panel's watcher took the item; while it is false nobody shows it.
    bool isRegistered() const;
    // The bus name the item lives under, org.kde.StatusNotifierItem-PID-N.
    QString serviceName() const;

    QString id() const { return m_id; }
    QString title() const { return m_title; }
    Status status() const { return m_status; }
    QString iconName() const { return m_iconName; }
    StatusNotifierPixmaps iconPixmaps() const { return m_iconPixmaps; }
    QString iconThemePath() const { return m_iconThemePath; }
    StatusNotifierToolTip toolTip() const { return m_toolTip; }
    QString label() const { return m_label; }
    QString labelGuide() const { return m_labelGuide; }
    QString menuPath() const { return m_menuPath; }
    bool itemIsMenu() const { return m_itemIsMenu; }

    // Each setter tells (by the matching signal) only when the value changes.
    void setTitle(const QString &title);
    void setStatus(Status status);
    // The icon by name, and as pixels for panels that cannot find it by that name.
    void setIcon(const QString &name, const StatusNotifierPixmaps &pixmaps);
    // A folder the panel adds to its icon search path.
    void setIconThemePath(const QString &path);
    void setToolTip(const StatusNotifierToolTip &toolTip);
    // The text beside the icon, and the widest text it will hold, so the panel keeps its width.
    void setLabel(const QString &label, const QString &guide);
    // The object path of the exported menu, "/" for none; set it before the panel first reads it.
    void setMenuPath(const QString &path);
    // True (the default) asks the panel to show the menu on any click, instead of activating.
    void setItemIsMenu(bool itemIsMenu);

signals:
    void registeredChanged(bool registered);

    void titleChanged();
    void statusChanged();
    void iconChanged();
    void iconThemePathChanged();
    void toolTipChanged();
    void labelChanged();

    // What the panel asks for, at a point in screen coordinates (0, 0 when it does not say).
    void activateRequested(QPoint at);
    void secondaryActivateRequested(QPoint at);
    void contextMenuRequested(QPoint at);
    void scrollRequested(int delta, Qt::Orientation orientation);

private:
    const QString m_id;
    QString m_title;
    Status m_status = Status::Active;
    QString m_iconName;
    StatusNotifierPixmaps m_iconPixmaps;
    QString m_iconThemePath;
    StatusNotifierToolTip m_toolTip;
    QString m_label;
    QString m_labelGuide;
    QString m_menuPath = QStringLiteral("/");
    bool m_itemIsMenu = true;
    std::unique_ptr<StatusNotifierRegistrar> m_registrar;
};
