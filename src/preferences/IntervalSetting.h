#pragma once

// The refresh interval as the preferences window sees it: kept by the ticker controller, which
// clamps and stores what it is given.
class IntervalSetting {
public:
    virtual ~IntervalSetting() = default;
    // Minutes from the start of one refresh pass to the start of the next.
    virtual double intervalSecond() const = 0;
    virtual void setIntervalSecond(double minutes) = 0;
};
