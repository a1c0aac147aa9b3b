#include "AlertInput.h"

#include <cmath>

#include <QLocale>

#include "TypedNumber.h"

namespace {

AlertInput::Result refused(const QString &why) {
    return {std::nullopt, why};
}

AlertInput::Result checked(const QString &text, QStringView units, double highest,
                           const QString &tooHigh) {
    const QString plain = TypedNumber::plain(text, units);
    if (plain.isEmpty())
        return {};
    bool ok = false;
    const double value = QLocale::c().toDouble(plain, &ok);
    if (!ok || !std::isfinite(value))
        return refused(QStringLiteral("「%1」は数値ではありません。").arg(text.trimmed()));
    if (value < 0.0)
        return refused(QStringLiteral("負の値は指定できません。"));
    if (value == 0.0)
        return refused(QStringLiteral("0 より大きい値を指定してください。"));
    if (value > highest)
        return refused(tooHigh);
    return {value, QString()};
}

} // namespace

AlertInput::Result AlertInput::price(const QString &text) {
    Result result = checked(text, u"\u00A5\u5186", kHighestPrice,
                            QStringLiteral("価格は 100,000,000 円までです。"));
    if (result.value && std::trunc(*result.value) != *result.value)
        return refused(QStringLiteral("価格は 1 円単位で指定してください。"));
    return result;
}

AlertInput::Result AlertInput::percent(const QString &text) {
    return checked(text, u"%", kHighestPercent, QStringLiteral("前日比は ±100 % までです。"));
}
