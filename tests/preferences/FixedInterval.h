#pragma once

#include "IntervalSetting.h"

// An interval setting that stays at ten minutes, for preferences tests about other settings.
class FixedInterval : public IntervalSetting {
public:
    double intervalSecond() const override { return 10.0; }
    void setIntervalSecond(double) override {}
};
