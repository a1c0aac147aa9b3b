#pragma once

class QMouseEvent;

// What a StatusView tells its delegate: every mouse press on the view, as it arrived.
class StatusViewDelegate {
public:
    virtual void mouseDown(QMouseEvent *event) = 0;

protected:
    ~StatusViewDelegate() = default;
};
