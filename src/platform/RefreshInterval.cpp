#include "RefreshInterval.h"

#include <algorithm>
#include <cmath>

#include "UserDefaults.h"

RefreshInterval::RefreshInterval(UserDefaults &defaults)
    : m_defaults(defaults) {
    const double stored = m_defaults.value(UserDefaults::KEY_INTERVAL);
    if (std::isfinite(stored) && stored > 0.0) {
        m_minutes = stored;
    } else {
        m_minutes = kDefaultMinutes;
        m_defaults.setDefaultValue(UserDefaults::KEY_INTERVAL, kDefaultMinutes);
    }
}

void RefreshInterval::setMinutes(double minutes) {
    const double value = std::isnan(minutes) ? kFloorMinutes : std::max(minutes, kFloorMinutes);
    m_minutes = value;
    m_defaults.setValue(UserDefaults::KEY_INTERVAL, value);
}
