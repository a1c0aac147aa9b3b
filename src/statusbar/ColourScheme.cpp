#include "ColourScheme.h"

#include <algorithm>
#include <cmath>

#include "AppearanceSetting.h"

namespace {

constexpr int kShadeSteps = 20;

double linear(double channel) {
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

double luminance(const QColor &colour) {
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
           0.0722 * linear(colour.blueF());
}

QColor mixed(const QColor &from, const QColor &to, double share) {
    const auto channel = [share](float a, float b) { return float(a + (b - a) * share); };
    return QColor::fromRgbF(channel(from.redF(), to.redF()), channel(from.greenF(), to.greenF()),
                            channel(from.blueF(), to.blueF()));
}

// The least shading towards black or white that makes the colour readable; black or white keep
// the hue best on light and dark backgrounds alike.
QColor readableOn(const QColor &colour, const QColor &background) {
    for (int step = 0; step <= kShadeSteps; ++step) {
        const double share = double(step) / kShadeSteps;
        for (const QColor &end : {QColor(Qt::black), QColor(Qt::white)}) {
            const QColor shade = QColor(mixed(colour, end, share).rgb()); // as drawn, 8 bits

            if (ColourScheme::contrast(shade, background) >= ColourScheme::kMinimumContrast)
                return shade;
        }
    }
    return colour;
}

} // namespace

ColourScheme::ColourScheme(const QString &key, bool arrows)
    : m_rising(QColor::fromRgbF(0.0f, 0.45f, 0.0f))
    , m_falling(QColor::fromRgbF(0.77f, 0.1f, 0.1f))
    , m_arrows(arrows) {
    const qsizetype index = AppearanceSetting::COLOUR_SCHEMES.indexOf(key);
    if (index == 1) { // as Japanese quote boards: a rise in red, a fall in green
        m_rising = QColor(0xd7, 0x1e, 0x1e);
        m_falling = QColor(0x1e, 0x9e, 0x3c);
    } else if (index == 2) { // blue and vermilion of the Okabe–Ito palette, told apart by all
        m_rising = QColor(0x00, 0x72, 0xb2);
        m_falling = QColor(0xd5, 0x5e, 0x00);
    }
    m_standard = index <= 0;
}

bool ColourScheme::isStandard() const {
    return m_standard;
}

QColor ColourScheme::priceColour(bool rising, const QColor &background) const {
    const QColor &colour = rising ? m_rising : m_falling;
    return m_standard ? colour : readableOn(colour, background);
}

QString ColourScheme::priceText(const QString &price, bool rising) const {
    if (!m_arrows)
        return price;
    return (rising ? QStringLiteral("▲") : QStringLiteral("▼")) + price;
}

double ColourScheme::contrast(const QColor &a, const QColor &b) {
    const double first = luminance(a);
    const double second = luminance(b);
    return (std::max(first, second) + 0.05) / (std::min(first, second) + 0.05);
}
