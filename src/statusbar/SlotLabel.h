#pragma once

#include <QLabel>

// A ticker slot's label: it holds the text screen readers read and keeps its place in the slot,
// while the ticker strip paints it from a picture taken once per tick, so it never paints itself.
class SlotLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent *) override {}
};
