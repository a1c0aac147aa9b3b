#pragma once

#include <array>

#include <QPixmap>
#include <QPointer>
#include <QTimeLine>
#include <QWidget>

// Paints the ticker's two slots from pictures of their labels, taken once when their texts or
// colours change, and slides them up at no more than 30 frames a second.
class TickerStrip : public QWidget {
    Q_OBJECT
public:
    explicit TickerStrip(QWidget *parent = nullptr);

    // Sibling widgets whose labels the strip paints, where the widgets stand.
    void setSlotViews(QWidget *first, QWidget *second);
    // A new picture of the slot's labels, after their texts or colours have changed.
    void renderSlot(QWidget *slot);
    void renderSlots();

    // Moves the pictures up by the strip's height over 0.75 s, after finishing a running slide;
    // at the end the slot widgets themselves move up by that height and slideFinished follows.
    void slideUp();
    // Brings a running slide to its end at once.
    void finishSlide();

signals:
    void slideFinished();

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    struct Slot {
        QPointer<QWidget> view;
        QPixmap picture;
    };

    QPixmap pictureOf(QWidget &slot) const;
    void moveTo(qreal progress);
    void endSlide();

    std::array<Slot, 2> m_slots;
    QTimeLine m_timeLine;
    int m_offset = 0; // how far the pictures are painted above their widgets
};
