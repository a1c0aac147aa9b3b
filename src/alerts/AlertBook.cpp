#include "AlertBook.h"

#include <QSet>

#include "AlertInput.h"
#include "StockManager.h"
#include "UserDefaults.h"

namespace {

const QString kAbove = QStringLiteral("above");
const QString kBelow = QStringLiteral("below");
const QString kChange = QStringLiteral("change");

// Reads one "key=value" field into the rules; false when it is not one of ours or not valid.
bool readField(const QString &field, AlertRules &rules) {
    const qsizetype equals = field.indexOf(u'=');
    const QString key = field.left(equals);
    const QString text = field.mid(equals + 1);
    if (equals < 0 || text.isEmpty())
        return false;
    const bool isChange = key == kChange;
    if (!isChange && key != kAbove && key != kBelow)
        return false;
    const AlertInput::Result value = isChange ? AlertInput::percent(text) : AlertInput::price(text);
    // White space alone is no value, and no error either.
    if (!value.ok() || !value.value)
        return false;
    if (isChange)
        rules.changePercent = value.value;
    else
        (key == kAbove ? rules.above : rules.below) = static_cast<int64_t>(*value.value);
    return true;
}

} // namespace

AlertBook::AlertBook(UserDefaults &defaults, const StockManager &stockManager)
    : m_defaults(defaults)
    , m_stockManager(stockManager) {
    QSet<QString> listed;
    for (const auto &stock : m_stockManager.stocks())
        listed.insert(stock->code());
    const QStringList stored = m_defaults.value(UserDefaults::KEY_ALERTS);
    for (const QString &text : stored) {
        const auto parsed = parseEntry(text);
        if (parsed && listed.contains(parsed->first) && !m_rules.contains(parsed->first))
            m_rules.insert(parsed->first, parsed->second);
    }
}

AlertRules AlertBook::rules(const QString &code) const {
    return m_rules.value(code);
}

bool AlertBook::setRules(const QString &code, const AlertRules &rules) {
    // The same rules again are no change: entries kept aside stay in the file.
    if (rules == m_rules.value(code))
        return true;
    if (rules.isEmpty())
        m_rules.remove(code);
    else
        m_rules.insert(code, rules);
    return save();
}

bool AlertBook::save() {
    QStringList entries;
    for (const auto &stock : m_stockManager.stocks()) {
        const auto found = m_rules.constFind(stock->code());
        if (found != m_rules.cend())
            entries.append(entry(stock->code(), *found));
    }
    return m_defaults.setValue(UserDefaults::KEY_ALERTS, entries);
}

QString AlertBook::entry(const QString &code, const AlertRules &rules) {
    QStringList fields{code};
    if (rules.above)
        fields.append(kAbove + u'=' + QString::number(*rules.above));
    if (rules.below)
        fields.append(kBelow + u'=' + QString::number(*rules.below));
    if (rules.changePercent)
        fields.append(kChange + u'=' + AlertText::number(*rules.changePercent));
    return fields.join(u';');
}

std::optional<std::pair<QString, AlertRules>> AlertBook::parseEntry(const QString &entry) {
    const QStringList fields = entry.split(u';');
    AlertRules rules;
    if (fields.size() < 2 || fields.first().isEmpty())
        return std::nullopt;
    for (qsizetype i = 1; i < fields.size(); ++i) {
        if (!readField(fields.at(i), rules))
            return std::nullopt;
    }
    return std::pair(fields.first(), rules);
}
