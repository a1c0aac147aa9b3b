#pragma once

#include <QColor>
#include <QString>

// The colours of a price against its previous close: the standard green and red, or a scheme the
// user chose, shaded for the background it is drawn on; and the optional ▲/▼ before it.
class ColourScheme {
public:
    // An unknown key is the standard scheme.
    explicit ColourScheme(const QString &key = QString(), bool arrows = false);

    bool isStandard() const;
    // Rising is at or above the previous close. The standard colours never change; a chosen
    // scheme's are darkened or lightened until they reach kMinimumContrast on the background.
    QColor priceColour(bool rising, const QColor &background) const;
    QString priceText(const QString &price, bool rising) const;
    bool arrows() const { return m_arrows; }

    // The WCAG 2 contrast ratio of two colours, 1 to 21.
    static double contrast(const QColor &a, const QColor &b);
    static constexpr double kMinimumContrast = 4.5;

private:
    QColor m_rising;
    QColor m_falling;
    bool m_standard = true;
    bool m_arrows = false;
};
