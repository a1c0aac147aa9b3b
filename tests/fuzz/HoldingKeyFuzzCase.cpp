#include "HoldingKeyFuzzCase.h"

#include "HoldingBook.h"
#include "HoldingInput.h"
#include "SettingsEntryCheck.h"

namespace {

bool withinSheetLimits(const Holding &holding) {
    return holding.shares >= 1 && holding.shares <= HoldingInput::kMostShares &&
           holding.costSen > 0 && holding.costSen <= HoldingInput::kHighestCostSen;
}

} // namespace

HoldingKeyFuzzCase::HoldingKeyFuzzCase(QByteArrayView input)
    : m_entries(input.toByteArray()) {}

QString HoldingKeyFuzzCase::check() const {
    return settingsEntryProblem<HoldingBook, Holding>(m_entries, withinSheetLimits);
}
