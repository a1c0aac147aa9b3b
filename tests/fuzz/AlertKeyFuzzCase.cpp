#include "AlertKeyFuzzCase.h"

#include "AlertBook.h"
#include "AlertInput.h"
#include "SettingsEntryCheck.h"

namespace {

bool withinSheetLimits(const AlertRules &rules) {
    const auto price = [](const std::optional<int64_t> &yen) {
        return !yen || (*yen > 0 && *yen <= AlertInput::kHighestPrice);
    };
    const auto &percent = rules.changePercent;
    return !rules.isEmpty() && price(rules.above) && price(rules.below) &&
           (!percent || (*percent > 0 && *percent <= AlertInput::kHighestPercent));
}

} // namespace

AlertKeyFuzzCase::AlertKeyFuzzCase(QByteArrayView input)
    : m_entries(input.toByteArray()) {}

QString AlertKeyFuzzCase::check() const {
    return settingsEntryProblem<AlertBook, AlertRules>(m_entries, withinSheetLimits);
}
