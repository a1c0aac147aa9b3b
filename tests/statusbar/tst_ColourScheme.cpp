#include <cmath>
#include <utility>

#include <QtTest>

#include "AppearanceSetting.h"
#include "ColourScheme.h"

namespace {

// Fusion's window and selection colours, and those of qt6ct's "darker" scheme.
const QColor kLightWindow(0xef, 0xef, 0xef);
const QColor kLightHighlight(0x30, 0x8c, 0xc6);
const QColor kDarkWindow(0x22, 0x20, 0x20);
const QColor kDarkHighlight(0x12, 0x60, 0x8a);

} // namespace

// The price colours of each scheme, measured as WCAG 2 contrast on the light and dark palettes.
class tst_ColourScheme : public QObject {
    Q_OBJECT
private slots:
    // Reference values of the WCAG 2 formula.
    void contrast_data() {
        QTest::addColumn<QColor>("a");
        QTest::addColumn<QColor>("b");
        QTest::addColumn<double>("ratio");
        QTest::newRow("black on white") << QColor(Qt::black) << QColor(Qt::white) << 21.0;
        QTest::newRow("same colour") << QColor(0x30, 0x8c, 0xc6) << QColor(0x30, 0x8c, 0xc6) << 1.0;
        QTest::newRow("#777 on white") << QColor(0x77, 0x77, 0x77) << QColor(Qt::white) << 4.48;
        QTest::newRow("white on #767676") << QColor(Qt::white) << QColor(0x76, 0x76, 0x76) << 4.54;
        QTest::newRow("pure red on white") << QColor(Qt::red) << QColor(Qt::white) << 4.0;
    }
    void contrast() {
        QFETCH(QColor, a);
        QFETCH(QColor, b);
        QFETCH(double, ratio);
        QCOMPARE(std::round(ColourScheme::contrast(a, b) * 100) / 100, ratio);
    }

    // The standard scheme keeps its two colours whatever the background, as it always did.
    void standardIsUnchanged() {
        const ColourScheme standard;
        QVERIFY(standard.isStandard());
        QVERIFY(ColourScheme(QStringLiteral("no such scheme")).isStandard());
        for (const QColor &background : {kLightWindow, kDarkWindow, kLightHighlight}) {
            QCOMPARE(standard.priceColour(true, background), QColor::fromRgbF(0.0f, 0.45f, 0.0f));
            QCOMPARE(standard.priceColour(false, background), QColor::fromRgbF(0.77f, 0.1f, 0.1f));
        }
        QCOMPARE(standard.priceText(QStringLiteral("1,234"), false), QStringLiteral("1,234"));
    }

    void chosenSchemesAreReadable_data() {
        QTest::addColumn<QString>("scheme");
        QTest::addColumn<QColor>("background");
        QTest::addColumn<int>("risingHue"); // of the colour before shading, roughly
        QTest::addColumn<int>("fallingHue");
        const std::pair<const char *, QColor> backgrounds[] = {{"light strip", kLightWindow},
                                                               {"light highlight", kLightHighlight},
                                                               {"dark strip", kDarkWindow},
                                                               {"dark highlight", kDarkHighlight}};
        for (const auto &[where, background] : backgrounds) {
            QTest::addRow("日本式, %s", where) << "japanese" << background << 0 << 135;
            QTest::addRow("色覚に配慮, %s", where) << "accessible" << background << 202 << 26;
        }
    }
    // At least 4.5:1 for both directions, with the hues kept: red, green, blue, orange.
    void chosenSchemesAreReadable() {
        QFETCH(QString, scheme);
        QFETCH(QColor, background);
        QFETCH(int, risingHue);
        QFETCH(int, fallingHue);
        const ColourScheme colours(scheme);
        QVERIFY(!colours.isStandard());
        for (const auto &[rising, hue] : {std::pair(true, risingHue), {false, fallingHue}}) {
            const QColor price = colours.priceColour(rising, background);
            const double ratio = ColourScheme::contrast(price, background);
            QVERIFY2(ratio >= 4.5, qPrintable(QStringLiteral("%1 on %2: %3:1")
                                                  .arg(price.name(), background.name())
                                                  .arg(ratio, 0, 'f', 2)));
            const int distance = std::abs(price.hslHue() - hue);
            QVERIFY2(std::min(distance, 360 - distance) <= 15, qPrintable(price.name()));
        }
    }

    void arrowsGoBeforeThePrice() {
        const ColourScheme arrows(AppearanceSetting::COLOUR_SCHEMES.at(0), true);
        QCOMPARE(arrows.priceText(QStringLiteral("1,234"), true), QStringLiteral("▲1,234"));
        QCOMPARE(arrows.priceText(QStringLiteral("1,234"), false), QStringLiteral("▼1,234"));
    }
};

QTEST_GUILESS_MAIN(tst_ColourScheme)
#include "tst_ColourScheme.moc"
