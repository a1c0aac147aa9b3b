#include "NodeShape.h"

#include <QSet>
#include <QVariantList>

#include "NodeDictionary.h"
#include "Whitespace.h"

namespace {

using namespace NodeDictionary;

const QSet<QString> nodeKeys{nodeNameKey, nodeContentKey, nodeAttributeArrayKey, nodeChildArrayKey,
                             rawKey};
const QSet<QString> attributeKeys{attributeNameKey, nodeContentKey, attributeContentKey};

QString problem(const QString &where, const QString &what) {
    return where + QStringLiteral(": ") + what;
}

bool isNonNullString(const QVariant &value) {
    return value.typeId() == QMetaType::QString && !value.toString().isNull();
}

// The entries of a map that hold strings: present means a real (non-null) string.
QString stringsProblem(const QVariantMap &map, const QString &where) {
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        const bool nested = it.key() == nodeAttributeArrayKey || it.key() == nodeChildArrayKey ||
                            it.key() == attributeContentKey;
        if (!nested && !isNonNullString(it.value()))
            return problem(where + u'.' + it.key(), QStringLiteral("not a string, or null"));
    }
    return QString();
}

QString attributeProblem(const QVariantMap &attribute, const QString &where) {
    if (attribute.isEmpty())
        return problem(where, QStringLiteral("empty attribute dictionary"));
    for (const QString &key : attribute.keys()) {
        if (!attributeKeys.contains(key))
            return problem(where, QStringLiteral("unexpected key ") + key);
    }
    if (const QString strings = stringsProblem(attribute, where); !strings.isNull())
        return strings;
    const auto value = attribute.constFind(nodeContentKey);
    if (value != attribute.cend() && attribute.contains(attributeContentKey))
        return problem(where, QStringLiteral("both a trimmed value and a value node"));
    if (value != attribute.cend() && Whitespace::trimmed(value->toString()) != value->toString())
        return problem(where, QStringLiteral("value not trimmed"));
    const auto valueNode = attribute.constFind(attributeContentKey);
    if (valueNode == attribute.cend())
        return QString();
    if (valueNode->typeId() != QMetaType::QVariantMap)
        return problem(where, QStringLiteral("value node is not a dictionary"));
    return NodeShape::problemIn(valueNode->toMap());
}

// A text child yields exactly its name and its untrimmed content; anything else is converted
// in full, "raw" included.
QString childProblem(const QVariantMap &child, const QString &where) {
    if (child.contains(rawKey))
        return NodeShape::problemIn(child);
    const bool textChild = child.size() == 2 && child.value(nodeNameKey).toString() == textName &&
                           isNonNullString(child.value(nodeContentKey));
    return textChild ? QString() : problem(where, QStringLiteral("neither full nor a text child"));
}

template <typename Check>
QString listProblem(const QVariantMap &node, const QString &key, Check check) {
    const auto list = node.constFind(key);
    if (list == node.cend())
        return QString();
    if (list->typeId() != QMetaType::QVariantList || list->toList().isEmpty())
        return problem(key, QStringLiteral("not a non-empty list"));
    const QVariantList entries = list->toList();
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QString where = QStringLiteral("%1[%2]").arg(key).arg(i);
        if (entries.at(i).typeId() != QMetaType::QVariantMap)
            return problem(where, QStringLiteral("not a dictionary"));
        if (const QString found = check(entries.at(i).toMap(), where); !found.isNull())
            return found;
    }
    return QString();
}

} // namespace

namespace NodeShape {

QString problemIn(const QVariantMap &node) {
    for (const QString &key : node.keys()) {
        if (!nodeKeys.contains(key))
            return problem(QStringLiteral("node"), QStringLiteral("unexpected key ") + key);
    }
    if (const QString strings = stringsProblem(node, QStringLiteral("node")); !strings.isNull())
        return strings;
    if (const QString found = listProblem(node, nodeAttributeArrayKey, attributeProblem);
        !found.isNull())
        return found;
    return listProblem(node, nodeChildArrayKey, childProblem);
}

} // namespace NodeShape
