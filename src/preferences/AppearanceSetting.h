#pragma once

#include <QString>
#include <QStringList>

// How the ticker shows prices, as the preferences window sees it: kept and stored by the ticker
// controller.
class AppearanceSetting {
public:
    // The colour schemes' keys in the order the preferences list them; the first is the default.
    static inline const QStringList COLOUR_SCHEMES{
        QStringLiteral("standard"), QStringLiteral("japanese"), QStringLiteral("accessible")};

    virtual ~AppearanceSetting() = default;
    virtual QString colourScheme() const = 0;
    virtual void setColourScheme(const QString &key) = 0;
    // Whether the strip puts ▲ or ▼ before the price.
    virtual bool priceArrows() const = 0;
    virtual void setPriceArrows(bool shown) = 0;
};
