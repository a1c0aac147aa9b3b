#include "AlertEvaluator.h"

#include <algorithm>

#include "Clock.h"

namespace {

constexpr std::array kKinds{AlertKind::Above, AlertKind::Below, AlertKind::Rise, AlertKind::Fall};

std::size_t slot(AlertKind kind) {
    return static_cast<std::size_t>(kind);
}

// The line of the rule, in yen or in percent; none when the rule is not set.
std::optional<double> line(AlertKind kind, const AlertRules &rules) {
    switch (kind) {
    case AlertKind::Above:
        return rules.above ? std::optional(double(*rules.above)) : std::nullopt;
    case AlertKind::Below:
        return rules.below ? std::optional(double(*rules.below)) : std::nullopt;
    case AlertKind::Rise:
        return rules.changePercent;
    case AlertKind::Fall:
        return rules.changePercent ? std::optional(-*rules.changePercent) : std::nullopt;
    }
    return std::nullopt;
}

double marginOf(AlertKind kind, double at) {
    if (kind == AlertKind::Above || kind == AlertKind::Below)
        return at * AlertEvaluator::kPriceMarginRatio;
    return std::min(AlertEvaluator::kChangeMarginPoints, std::abs(at) / 2.0);
}

} // namespace

QList<AlertFiring> AlertEvaluator::observe(const AlertObservation &observation,
                                           const AlertRules &rules) {
    Track &track = m_tracks[observation.code];
    for (const AlertKind kind : kKinds) {
        if (line(kind, track.rules) != line(kind, rules))
            track.states[slot(kind)] = State::Unknown;
    }
    track.rules = rules;
    if (track.last)
        settle(track, *track.last);

    QList<AlertFiring> fired;
    const bool fresh = observation.updatedAt.isValid() &&
                       (!track.seen.isValid() || observation.updatedAt > track.seen);
    if (!fresh || observation.price <= 0)
        return fired;
    track.seen = observation.updatedAt;
    track.last = observation;
    for (const AlertKind kind : kKinds) {
        const std::optional<double> at = line(kind, rules);
        State &state = track.states[slot(kind)];
        if (!at)
            continue;
        if (state == State::Armed && across(kind, rules, observation, 0.0).value_or(false)) {
            fired.append({kind, Clock::currentDateTime()});
            state = State::Spent;
        } else if (state == State::Spent &&
                   across(kind, rules, observation, marginOf(kind, *at)) == false) {
            state = State::Armed;
        }
    }
    settle(track, observation);
    return fired;
}

void AlertEvaluator::forget(const QString &code) {
    m_tracks.remove(code);
}

// A rule whose state is not known yet takes it from the value, without firing.
void AlertEvaluator::settle(Track &track, const AlertObservation &value) {
    for (const AlertKind kind : kKinds) {
        State &state = track.states[slot(kind)];
        if (state != State::Unknown)
            continue;
        if (const std::optional<bool> crossed = across(kind, track.rules, value, 0.0))
            state = *crossed ? State::Spent : State::Armed;
    }
}

// Whether the value is at or across the line, with the line moved back towards the near side by
// the margin; none when the rule is not set or the value says nothing about it.
std::optional<bool> AlertEvaluator::across(AlertKind kind, const AlertRules &rules,
                                           const AlertObservation &value, double margin) {
    const std::optional<double> at = line(kind, rules);
    if (!at || value.price <= 0)
        return std::nullopt;
    const auto price = static_cast<double>(value.price);
    switch (kind) {
    case AlertKind::Above:
        return price >= *at - margin;
    case AlertKind::Below:
        return price <= *at + margin;
    case AlertKind::Rise:
    case AlertKind::Fall:
        break;
    }
    if (value.prevClose <= 0)
        return std::nullopt;
    const double change = (price - double(value.prevClose)) * 100.0 / double(value.prevClose);
    return kind == AlertKind::Rise ? change >= *at - margin : change <= *at + margin;
}
