#include "XPathElement.h"

#include <functional>
#include <utility>

#include <QJsonDocument>
#include <QJsonObject>

#include "NodeDictionary.h"

namespace {

using namespace NodeDictionary;

using Elements = QList<std::shared_ptr<XPathElement>>;

const QString classKey = QStringLiteral("class");

template <typename Predicate> Elements allOf(const Elements &elements, Predicate matches) {
    Elements found;
    for (const std::shared_ptr<XPathElement> &element : elements) {
        if (matches(*element))
            found.append(element);
    }
    return found;
}

template <typename Predicate>
std::shared_ptr<XPathElement> firstOf(const Elements &elements, Predicate matches) {
    for (const std::shared_ptr<XPathElement> &element : elements) {
        if (matches(*element))
            return element;
    }
    return nullptr;
}

auto hasTagName(const QString &tagName) {
    // A node without a name has no tag name to match, not even an empty one.
    return [&tagName](const XPathElement &element) {
        const QString name = element.tagName();
        return !name.isNull() && name == tagName;
    };
}

auto hasClassName(const QString &className) {
    // Qt counts a null string equal to an empty one; a missing class must never match.
    return [&className](const XPathElement &element) {
        const QString classes = element.objectForKey(classKey);
        return !classes.isNull() && classes == className;
    };
}

} // namespace

XPathElement::XPathElement(QVariantMap node)
    : m_node(std::move(node)) {}

std::shared_ptr<XPathElement> XPathElement::elementWithNode(QVariantMap node) {
    return std::make_shared<XPathElement>(std::move(node));
}

QString XPathElement::raw() const {
    return m_node.value(rawKey).toString();
}

QString XPathElement::content() const {
    return m_node.value(nodeContentKey).toString();
}

QString XPathElement::tagName() const {
    return m_node.value(nodeNameKey).toString();
}

QVariantMap XPathElement::attributes() const {
    QVariantMap attributes;
    for (const QVariant &entry : m_node.value(nodeAttributeArrayKey).toList()) {
        const QVariantMap attribute = entry.toMap();
        const auto name = attribute.constFind(attributeNameKey);
        const auto value = attribute.constFind(nodeContentKey);
        if (name != attribute.cend() && value != attribute.cend())
            attributes.insert(name->toString(), *value);
    }
    return attributes;
}

QList<std::shared_ptr<XPathElement>> XPathElement::children() const {
    // Elements are never made const, so handing the receiver out as a mutable parent is sound.
    // weak_from_this rather than shared_from_this: an element that no shared pointer owns
    // yields children without a parent instead of throwing.
    const auto self = std::const_pointer_cast<XPathElement>(weak_from_this().lock());
    Elements children;
    for (const QVariant &node : m_node.value(nodeChildArrayKey).toList()) {
        std::shared_ptr<XPathElement> child = elementWithNode(node.toMap());
        child->setParent(self);
        children.append(std::move(child));
    }
    return children;
}

std::shared_ptr<XPathElement> XPathElement::firstChild() const {
    const Elements all = children();
    return all.isEmpty() ? nullptr : all.first();
}

QString XPathElement::objectForKey(const QString &key) const {
    return attributes().value(key).toString();
}

QString XPathElement::description() const {
    return QString::fromUtf8(
        QJsonDocument(QJsonObject::fromVariantMap(m_node)).toJson(QJsonDocument::Indented));
}

bool XPathElement::hasChildren() const {
    return m_node.contains(nodeChildArrayKey);
}

bool XPathElement::isTextNode() const {
    return tagName() == textName && !content().isNull();
}

QList<std::shared_ptr<XPathElement>>
XPathElement::childrenWithTagName(const QString &tagName) const {
    return allOf(children(), hasTagName(tagName));
}

std::shared_ptr<XPathElement> XPathElement::firstChildWithTagName(const QString &tagName) const {
    return firstOf(children(), hasTagName(tagName));
}

QList<std::shared_ptr<XPathElement>>
XPathElement::childrenWithClassName(const QString &className) const {
    return allOf(children(), hasClassName(className));
}

std::shared_ptr<XPathElement>
XPathElement::firstChildWithClassName(const QString &className) const {
    return firstOf(children(), hasClassName(className));
}

std::shared_ptr<XPathElement> XPathElement::firstTextChild() const {
    const auto textChild = firstOf(children(), std::mem_fn(&XPathElement::isTextNode));
    return textChild ? textChild : firstChildWithTagName(textName);
}

QString XPathElement::text() const {
    const std::shared_ptr<XPathElement> textChild = firstTextChild();
    return textChild ? textChild->content() : QString();
}
