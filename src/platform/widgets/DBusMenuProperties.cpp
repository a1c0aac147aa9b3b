#include "DBusMenuProperties.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>

namespace DBusMenuProperties {

namespace {

bool isRadio(const QAction &action) {
    const QActionGroup *group = action.actionGroup();
    return group && group->exclusionPolicy() != QActionGroup::ExclusionPolicy::None;
}

} // namespace

QVariantMap of(const QAction &action) {
    QVariantMap properties;
    if (action.isSeparator()) {
        properties.insert(QStringLiteral("type"), QStringLiteral("separator"));
    } else if (const QString text = label(action.text()); !text.isEmpty()) {
        properties.insert(QStringLiteral("label"), text);
    }
    if (!action.isEnabled())
        properties.insert(QStringLiteral("enabled"), false);
    if (!action.isVisible())
        properties.insert(QStringLiteral("visible"), false);
    if (const QString icon = action.icon().name(); !icon.isEmpty())
        properties.insert(QStringLiteral("icon-name"), icon);
    if (action.isCheckable()) {
        properties.insert(QStringLiteral("toggle-type"),
                          isRadio(action) ? QStringLiteral("radio") : QStringLiteral("checkmark"));
        properties.insert(QStringLiteral("toggle-state"), action.isChecked() ? 1 : 0);
    }
    if (action.menu<QMenu *>())
        properties.insert(QStringLiteral("children-display"), QStringLiteral("submenu"));
    return properties;
}

QVariantMap ofRoot() {
    return {{QStringLiteral("children-display"), QStringLiteral("submenu")}};
}

QString label(const QString &text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'_') {
            out += QStringLiteral("__");
        } else if (c != u'&') {
            out += c;
        } else if (i + 1 < text.size()) {
            // A lone '&' at the end marks nothing, as in Qt.
            out += text.at(i + 1) == u'&' ? u'&' : u'_';
            i += text.at(i + 1) == u'&' ? 1 : 0;
        }
    }
    return out;
}

QVariantMap only(const QVariantMap &properties, const QStringList &names) {
    if (names.isEmpty())
        return properties;
    QVariantMap chosen;
    for (const QString &name : names) {
        if (const auto found = properties.constFind(name); found != properties.cend())
            chosen.insert(name, *found);
    }
    return chosen;
}

} // namespace DBusMenuProperties
