#pragma once

#include <QDateTime>

// The wall clock behind a seam: tests set the time instead of sleeping.
class Clock {
public:
    static QDateTime currentDateTime();
    // An invalid time goes back to the real clock.
    static void setFixed(const QDateTime &when);
};
