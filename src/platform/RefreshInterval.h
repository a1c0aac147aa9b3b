#pragma once

#include <atomic>

class UserDefaults;

// The refresh interval in minutes, with everything that defines it: the setting it is stored
// under (UserDefaults::KEY_INTERVAL), its default and its floor. Readable from any thread.
class RefreshInterval {
public:
    static constexpr double kDefaultMinutes = 10.0;
    static constexpr double kFloorMinutes = 5.0;

    // The stored interval; anything but a finite positive number counts as never set, and the
    // default is stored in its place unless the file holds what a write would lose (see
    // UserDefaults::setDefaultValue). Stored values below the floor are kept as they are.
    explicit RefreshInterval(UserDefaults &defaults);

    double minutes() const { return m_minutes; }
    // Raised to the floor (not a number too), then stored.
    void setMinutes(double minutes);

private:
    UserDefaults &m_defaults;
    std::atomic<double> m_minutes{0.0};
};
