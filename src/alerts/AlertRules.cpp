#include "AlertRules.h"

#include <QLocale>
#include <QStringList>

QString AlertRules::describe() const {
    QStringList parts;
    if (above)
        parts.append(AlertText::rule(AlertKind::Above, *this));
    if (below)
        parts.append(AlertText::rule(AlertKind::Below, *this));
    if (changePercent)
        parts.append(QStringLiteral("前日比 ±%1 %").arg(AlertText::number(*changePercent)));
    return parts.join(QStringLiteral(" / "));
}

QString AlertText::yen(int64_t price) {
    return u'\u00A5' + QLocale(QLocale::Japanese, QLocale::Japan).toString(qlonglong(price));
}

QString AlertText::number(double value) {
    return QLocale::c().toString(value, 'g', QLocale::FloatingPointShortest);
}

QString AlertText::rule(AlertKind kind, const AlertRules &rules) {
    switch (kind) {
    case AlertKind::Above:
        return QStringLiteral("%1 以上").arg(yen(rules.above.value_or(0)));
    case AlertKind::Below:
        return QStringLiteral("%1 以下").arg(yen(rules.below.value_or(0)));
    case AlertKind::Rise:
        return QStringLiteral("前日比 +%1 % 以上").arg(number(rules.changePercent.value_or(0)));
    case AlertKind::Fall:
        return QStringLiteral("前日比 \u2212%1 % 以下")
            .arg(number(rules.changePercent.value_or(0)));
    }
    return QString();
}
