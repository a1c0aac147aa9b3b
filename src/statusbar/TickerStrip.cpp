#include "TickerStrip.h"

#include <QEvent>
#include <QLabel>
#include <QLayout>
#include <QPainter>
#include <QStyle>

namespace {

constexpr int kSlideMilliseconds = 750;
// At most thirty frames a second: a slide of one line's height needs no more to look smooth.
constexpr int kFrameMilliseconds = 33;

// As a plain-text label without frame, margin or indent paints itself, to the pixel.
void drawLabel(QPainter &painter, const QLabel &label, const QPoint &at) {
    const Qt::LayoutDirection direction =
        label.text().isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight;
    const int flags =
        QStyle::visualAlignment(direction, label.alignment()) |
        (direction == Qt::LeftToRight ? Qt::TextForceLeftToRight : Qt::TextForceRightToLeft);
    label.style()->drawItemText(&painter, label.contentsRect().translated(at), flags,
                                label.palette(), label.isEnabled(), label.text(),
                                label.foregroundRole());
}

} // namespace

TickerStrip::TickerStrip(QWidget *parent)
    : QWidget(parent)
    , m_timeLine(kSlideMilliseconds, this) {
    m_timeLine.setUpdateInterval(kFrameMilliseconds);
    m_timeLine.setEasingCurve(QEasingCurve::InOutQuad);
    connect(&m_timeLine, &QTimeLine::valueChanged, this, &TickerStrip::moveTo);
    connect(&m_timeLine, &QTimeLine::finished, this, &TickerStrip::endSlide);
}

void TickerStrip::setSlotViews(QWidget *first, QWidget *second) {
    m_slots = {Slot{first, {}}, Slot{second, {}}};
}

void TickerStrip::renderSlot(QWidget *slot) {
    for (Slot &known : m_slots) {
        if (!slot || known.view != slot)
            continue;
        // The labels' places follow their new texts only once the layout has run.
        if (QLayout *layout = slot->layout())
            layout->activate();
        known.picture = pictureOf(*slot);
        // A slot parked out of sight costs no repaint.
        update(QRect(slot->pos() - pos() - QPoint(0, m_offset), slot->size()));
    }
}

void TickerStrip::renderSlots() {
    for (const Slot &slot : m_slots)
        renderSlot(slot.view);
}

void TickerStrip::slideUp() {
    finishSlide();
    m_timeLine.start();
}

void TickerStrip::finishSlide() {
    if (m_timeLine.state() == QTimeLine::Running)
        m_timeLine.setCurrentTime(m_timeLine.duration());
}

void TickerStrip::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    for (Slot &slot : m_slots) {
        if (!slot.view || slot.view->isHidden())
            continue;
        // Taken again on a screen of another pixel density.
        if (slot.picture.devicePixelRatio() != devicePixelRatioF())
            slot.picture = pictureOf(*slot.view);
        painter.drawPixmap(slot.view->pos() - pos() - QPoint(0, m_offset), slot.picture);
    }
}

void TickerStrip::changeEvent(QEvent *event) {
    QWidget::changeEvent(event);
    // The labels take a new font, palette or style in this same round of events, so their
    // pictures are taken once it is over.
    const QEvent::Type type = event->type();
    if (type == QEvent::FontChange || type == QEvent::PaletteChange || type == QEvent::StyleChange)
        QMetaObject::invokeMethod(this, &TickerStrip::renderSlots, Qt::QueuedConnection);
}

QPixmap TickerStrip::pictureOf(QWidget &slot) const {
    const qreal ratio = devicePixelRatioF();
    QPixmap picture(slot.size() * ratio);
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    for (const QLabel *label : slot.findChildren<QLabel *>()) {
        if (!label->isHidden())
            drawLabel(painter, *label, label->mapTo(&slot, QPoint()));
    }
    return picture;
}

// Repaints only when the pictures move by a whole pixel.
void TickerStrip::moveTo(qreal progress) {
    const int offset = qRound(progress * height());
    if (offset == m_offset)
        return;
    m_offset = offset;
    update();
}

void TickerStrip::endSlide() {
    for (const Slot &slot : m_slots) {
        if (slot.view)
            slot.view->move(slot.view->pos() - QPoint(0, height()));
    }
    m_offset = 0;
    update();
    emit slideFinished();
}
