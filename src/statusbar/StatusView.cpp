#include "StatusView.h"

#include <QGuiApplication>
#include <QPainter>

StatusView::StatusView(QWidget *parent)
    : QWidget(parent) {}

bool StatusView::highlighted() const {
    return m_highlighted;
}

void StatusView::setHighlighted(bool highlighted) {
    m_highlighted = highlighted;
    update();
}

void StatusView::setDelegate(std::nullptr_t) {
    m_delegateObject = nullptr;
    m_delegate = nullptr;
}

StatusViewDelegate *StatusView::delegate() const {
    return m_delegateObject ? m_delegate : nullptr;
}

void StatusView::paintEvent(QPaintEvent *) {
    // No background of our own: while plain, the status bar shows through around the labels.
    if (!m_highlighted)
        return;
    QPainter painter(this);
    painter.fillRect(rect(), QGuiApplication::palette().color(QPalette::Highlight));
}

void StatusView::mousePressEvent(QMouseEvent *event) {
    if (StatusViewDelegate *target = delegate())
        target->mouseDown(event);
}
