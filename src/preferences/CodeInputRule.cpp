#include "CodeInputRule.h"

#include "SecurityCode.h"

CodeInputRule::Outcome CodeInputRule::afterEdit(const QString &edited, const QString &remembered) {
    // A fifth unit, typed or pasted, undoes the whole edit rather than cutting it short.
    const QString text =
        edited.size() > SecurityCode::kLength ? remembered : SecurityCode::fromInput(edited);
    return {text, SecurityCode::isCode(text)};
}
