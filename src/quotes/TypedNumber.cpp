#include "TypedNumber.h"

QString TypedNumber::plain(const QString &text, QStringView units) {
    QString plain = text.normalized(QString::NormalizationForm_KC).trimmed();
    plain.replace(u'\u2212', u'-');
    plain.remove(u',');
    for (const QChar unit : units)
        plain.remove(unit);
    return plain.trimmed();
}
