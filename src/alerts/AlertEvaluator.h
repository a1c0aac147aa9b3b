#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>

#include "AlertRules.h"

// One quote of one security as a refresh left it.
struct AlertObservation {
    QString code;
    int64_t price = 0;     // 0: no price
    int64_t prevClose = 0; // 0: no previous close, so no change
    QDateTime updatedAt;   // of the last fully successful update; invalid until there was one
};

struct AlertFiring {
    AlertKind kind;
    QDateTime at; // by the Clock
};

// Decides which alerts fire, with hysteresis, and never shows anything.
//
// Each rule of each security (each side of the change rule alone) is armed or spent. Only a fresh
// successful update counts: one whose update time is later than the last one seen; a failed or
// repeated look changes nothing. The first value seen after launch, or after a rule is set or
// changed, fires nothing: it only arms the rule when the price is on the near side of the line,
// and spends it when the price is already across. So a price that is above 3,000 at launch does
// not announce itself, but one that was below and now is above does, whatever happened while the
// program was not running. When the rule changes while a value is known, that value sets the state
// at once, so the next update that crosses the new line fires.
//
// An armed rule fires on the first fresh value at or across its line and is spent; a spent rule is
// armed again only once a fresh value has come back across the line by more than the margin: 0.5 %
// of a price line (15 yen at 3,000), or 0.5 percentage points of a change line, at most half of it.
// A quote that hovers around the line moves by a tick or two (1 yen up to 3,000, 5 up to 5,000),
// well inside that band, so it fires once; a real turn of half a percent is a new move and arms
// the rule again.
class AlertEvaluator {
public:
    static constexpr double kPriceMarginRatio = 0.005;
    static constexpr double kChangeMarginPoints = 0.5;

    // The alerts that fire on this look at the security, with the rules it has now.
    QList<AlertFiring> observe(const AlertObservation &observation, const AlertRules &rules);
    // A security left the watch list: what was known of it goes.
    void forget(const QString &code);

private:
    enum class State { Unknown, Armed, Spent };
    struct Track {
        QDateTime seen; // the update time of the last fresh value
        std::optional<AlertObservation> last;
        AlertRules rules;
        std::array<State, 4> states{};
    };

    static void settle(Track &track, const AlertObservation &value);
    static std::optional<bool> across(AlertKind kind, const AlertRules &rules,
                                      const AlertObservation &value, double margin);

    QHash<QString, Track> m_tracks;
};
