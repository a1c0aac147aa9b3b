#include "PanelTicker.h"

#include <QCursor>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QMenu>

#include "DBusMenuExporter.h"
#include "PriceDirection.h"
#include "StatusNotifierItem.h"
#include "StatusTrayIcon.h"
#include "Stock.h"
#include "StockManager.h"

namespace {

const QString kMenuPath = QStringLiteral("/MenuBar");

QString directionMark(PriceDirection direction) {
    switch (direction) {
    case PriceDirection::Up:
        return QStringLiteral("▲");
    case PriceDirection::Down:
        return QStringLiteral("▼");
    case PriceDirection::Unchanged:
        break;
    }
    return QStringLiteral("＝");
}

// The bundled pictures, for panels that do not search our theme path.
StatusNotifierPixmaps iconPixmaps(const QIcon &icon) {
    StatusNotifierPixmaps pixmaps;
    for (const QSize &size : icon.availableSizes()) {
        const QImage image = icon.pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32);
        pixmaps.append(StatusNotifierPixmap::fromArgb32(image.width(), image.height(),
                                                        image.constBits(), image.bytesPerLine()));
    }
    return pixmaps;
}

} // namespace

PanelTicker::PanelTicker(const StockManager &stockManager, QMenu &statusMenu, const QString &title,
                         QObject *parent)
    : QObject(parent)
    , m_stockManager(stockManager)
    , m_statusMenu(statusMenu)
    , m_title(title)
    , m_item(std::make_unique<StatusNotifierItem>(QStringLiteral("kabu-ticker")))
    , m_menuExporter(std::make_unique<DBusMenuExporter>(&statusMenu, kMenuPath)) {
    m_item->setTitle(title);
    const QIcon icon = StatusTrayIcon::statusIcon();
    m_item->setIcon(icon.name(), iconPixmaps(icon));
    m_item->setMenuPath(kMenuPath);
    showLabel(title);
    connect(m_item.get(), &StatusNotifierItem::activateRequested, this, &PanelTicker::popUpMenu);
    connect(m_item.get(), &StatusNotifierItem::contextMenuRequested, this, &PanelTicker::popUpMenu);
}

PanelTicker::~PanelTicker() = default;

QString PanelTicker::labelText(const Stock &stock) {
    const QString price = stock.quoteToFormat();
    if (stock.quote() == 0)
        return stock.code() + u' ' + price;
    return stock.code() + u' ' + directionMark(priceDirection(stock)) + price;
}

void PanelTicker::showListEmpty(bool empty) {
    if (empty)
        showLabel(m_title);
}

void PanelTicker::showStock(const std::shared_ptr<Stock> &stock) {
    showLabel(labelText(*stock));
}

// The panel's text goes in the title; the rest in the body, which panels read as markup.
void PanelTicker::setToolTip(const QString &tip) {
    const qsizetype firstBreak = tip.indexOf(u'\n');
    StatusNotifierToolTip toolTip = m_item->toolTip();
    toolTip.title = tip.left(firstBreak);
    toolTip.text = firstBreak < 0 ? QString() : tip.mid(firstBreak + 1).toHtmlEscaped();
    m_item->setToolTip(toolTip);
}

// The guide is the widest of the list's labels as they read now, measured in the desktop's font.
void PanelTicker::showLabel(const QString &label) {
    const QFontMetrics metrics(QGuiApplication::font());
    QString guide = label;
    for (const std::shared_ptr<Stock> &stock : m_stockManager.stocks()) {
        const QString text = labelText(*stock);
        if (metrics.horizontalAdvance(text) > metrics.horizontalAdvance(guide))
            guide = text;
    }
    m_item->setLabel(label, guide);
}

// A panel that does not draw the exported menu itself asks for ours, at the pointer, which is on
// the item: the point it names cannot be trusted (MATE's is 0 across for an item at the right).
void PanelTicker::popUpMenu() {
    m_statusMenu.popup(QCursor::pos());
}
