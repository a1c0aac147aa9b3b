#include "SecurityCode.h"

#include <array>

namespace {

// Every capital but B, E, I, O, Q, V and Z, which the exchange leaves out of codes.
const std::array<QStringView, SecurityCode::kLength> kAllowed{
    u"123456789",
    u"0123456789ACDFGHJKLMNPRSTUWXY",
    u"0123456789",
    u"0123456789ACDFGHJKLMNPRSTUWXY",
};

} // namespace

bool SecurityCode::isCode(QStringView text) {
    if (text.size() != kLength)
        return false;
    for (qsizetype i = 0; i < kLength; ++i) {
        if (!kAllowed[i].contains(text[i]))
            return false;
    }
    return true;
}

QString SecurityCode::fromInput(QStringView text) {
    QString code = text.toString();
    for (QChar &c : code) {
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - u'a' + u'A');
    }
    return code;
}

QStringView SecurityCode::charactersAt(qsizetype position) {
    return kAllowed.at(position);
}

QStringList SecurityCode::samples() {
    return {QStringLiteral("1000"), QStringLiteral("8A9A"), QStringLiteral("9Y9Y")};
}
