#pragma once

#include <memory>

#include <QList>
#include <QString>
#include <QVariantMap>

// One matched node, read through its NodeDictionary (a QVariantMap).
// Holds nothing of libxml2; every answer is computed afresh from the dictionary.
class XPathElement : public std::enable_shared_from_this<XPathElement> {
public:
    explicit XPathElement(QVariantMap node);
    static std::shared_ptr<XPathElement> elementWithNode(QVariantMap node);

    QString raw() const;
    QString content() const;
    QString tagName() const;
    QVariantMap attributes() const;
    QList<std::shared_ptr<XPathElement>> children() const;
    std::shared_ptr<XPathElement> firstChild() const;
    QString objectForKey(const QString &key) const;
    QString description() const;
    bool hasChildren() const;
    bool isTextNode() const;
    QList<std::shared_ptr<XPathElement>> childrenWithTagName(const QString &tagName) const;
    std::shared_ptr<XPathElement> firstChildWithTagName(const QString &tagName) const;
    QList<std::shared_ptr<XPathElement>> childrenWithClassName(const QString &className) const;
    std::shared_ptr<XPathElement> firstChildWithClassName(const QString &className) const;
    std::shared_ptr<XPathElement> firstTextChild() const;
    QString text() const;

    // Non-owning: reads as null once the parent is gone.
    std::shared_ptr<XPathElement> parent() const { return m_parent.lock(); }
    void setParent(const std::shared_ptr<XPathElement> &parent) { m_parent = parent; }

private:
    QVariantMap m_node;
    std::weak_ptr<XPathElement> m_parent;
};
