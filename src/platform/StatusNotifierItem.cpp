#include "StatusNotifierItem.h"

#include <utility>

#include <QtEndian>

#include "StatusNotifierItemAdaptor.h"
#include "StatusNotifierRegistrar.h"

StatusNotifierPixmap StatusNotifierPixmap::fromArgb32(int width, int height, const uchar *bits,
                                                      qsizetype bytesPerLine) {
    StatusNotifierPixmap pixmap{width, height, QByteArray(qsizetype(width) * height * 4, '\0')};
    auto *out = reinterpret_cast<quint32 *>(pixmap.argb32.data());
    for (int y = 0; y < height; ++y) {
        const uchar *row = bits + y * bytesPerLine;
        for (int x = 0; x < width; ++x)
            *out++ = qToBigEndian(qFromUnaligned<quint32>(row + x * 4));
    }
    return pixmap;
}

// The adaptor comes first: the registrar exports the object with it, so that its signals reach
// the bus.
StatusNotifierItem::StatusNotifierItem(const QString &id, QObject *parent)
    : QObject(parent)
    , m_id(id) {
    new StatusNotifierItemAdaptor(this);
    m_registrar = std::make_unique<StatusNotifierRegistrar>(this);
    connect(m_registrar.get(), &StatusNotifierRegistrar::registeredChanged, this,
            &StatusNotifierItem::registeredChanged);
}

StatusNotifierItem::~StatusNotifierItem() = default;

bool StatusNotifierItem::isRegistered() const {
    return m_registrar->isRegistered();
}

QString StatusNotifierItem::serviceName() const {
    return m_registrar->serviceName();
}

void StatusNotifierItem::setTitle(const QString &title) {
    if (std::exchange(m_title, title) != title)
        emit titleChanged();
}

void StatusNotifierItem::setStatus(Status status) {
    if (std::exchange(m_status, status) != status)
        emit statusChanged();
}

void StatusNotifierItem::setIcon(const QString &name, const StatusNotifierPixmaps &pixmaps) {
    if (name == m_iconName && pixmaps == m_iconPixmaps)
        return;
    m_iconName = name;
    m_iconPixmaps = pixmaps;
    emit iconChanged();
}

void StatusNotifierItem::setIconThemePath(const QString &path) {
    if (std::exchange(m_iconThemePath, path) != path)
        emit iconThemePathChanged();
}

void StatusNotifierItem::setToolTip(const StatusNotifierToolTip &toolTip) {
    if (std::exchange(m_toolTip, toolTip) != toolTip)
        emit toolTipChanged();
}

void StatusNotifierItem::setLabel(const QString &label, const QString &guide) {
    if (label == m_label && guide == m_labelGuide)
        return;
    m_label = label;
    m_labelGuide = guide;
    emit labelChanged();
}

void StatusNotifierItem::setMenuPath(const QString &path) {
    m_menuPath = path;
}

void StatusNotifierItem::setItemIsMenu(bool itemIsMenu) {
    m_itemIsMenu = itemIsMenu;
}
