#include "HoldingInput.h"

#include <QRegularExpression>

#include "TypedNumber.h"

namespace {

// More digits than any accepted value has, kept short enough to read into 64 bits.
constexpr qsizetype kLongestWhole = 13;

HoldingInput::Result refused(const QString &why) {
    return {std::nullopt, why};
}

// The value of plain text in hundredths, exactly; an error for anything but a positive number of
// at most two decimal places below `highest`.
HoldingInput::Result hundredths(const QString &typed, const QString &plain, int64_t highest,
                                const QString &tooHigh, const QString &tooPrecise) {
    static const QRegularExpression form(QStringLiteral("^(-?)([0-9]+)(?:\\.([0-9]+))?$"));
    const QRegularExpressionMatch parts = form.match(plain);
    if (!parts.hasMatch())
        return refused(QStringLiteral("「%1」は数値ではありません。").arg(typed.trimmed()));
    QString whole = parts.captured(2);
    QString fraction = parts.captured(3);
    while (fraction.endsWith(u'0'))
        fraction.chop(1);
    while (whole.size() > 1 && whole.startsWith(u'0'))
        whole.remove(0, 1);
    const bool zero = whole == u"0" && fraction.isEmpty();
    if (!parts.captured(1).isEmpty() && !zero)
        return refused(QStringLiteral("負の値は指定できません。"));
    if (zero)
        return refused(QStringLiteral("0 より大きい値を指定してください。"));
    if (fraction.size() > 2)
        return refused(tooPrecise);
    if (whole.size() > kLongestWhole)
        return refused(tooHigh);
    const int64_t value = whole.toLongLong() * 100 + fraction.leftJustified(2, u'0').toLongLong();
    if (value > highest)
        return refused(tooHigh);
    return {value, QString()};
}

} // namespace

HoldingInput::Result HoldingInput::shares(const QString &text) {
    const QString plain = TypedNumber::plain(text, u"\u682A");
    if (plain.isEmpty())
        return {};
    const QString whole = QStringLiteral("株数は整数で指定してください。");
    Result result = hundredths(text, plain, kMostShares * 100,
                               QStringLiteral("株数は 1,000,000,000 株までです。"), whole);
    if (result.value && *result.value % 100 != 0)
        return refused(whole);
    if (result.value)
        *result.value /= 100;
    return result;
}

HoldingInput::Result HoldingInput::costSen(const QString &text) {
    const QString plain = TypedNumber::plain(text, u"\u00A5\u5186");
    if (plain.isEmpty())
        return {};
    return hundredths(text, plain, kHighestCostSen,
                      QStringLiteral("取得単価は 100,000,000 円までです。"),
                      QStringLiteral("取得単価は小数第 2 位 (1 銭) までです。"));
}

QString HoldingInput::costText(int64_t sen) {
    QString text = QString::number(sen / 100);
    if (const int64_t fraction = sen % 100; fraction != 0) {
        text += u'.' + QString::number(fraction).rightJustified(2, u'0');
        if (text.endsWith(u'0'))
            text.chop(1);
    }
    return text;
}
