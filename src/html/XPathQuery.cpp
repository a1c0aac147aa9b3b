#include "XPathQuery.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>

#include <libxml/HTMLparser.h>
#include <libxml/encoding.h>
#include <libxml/parser.h>
#include <libxml/xpath.h>

#include "Log.h"
#include "NodeDictionary.h"
#include "Whitespace.h"
#include "XPathShortcut.h"

namespace {

using namespace NodeDictionary;

template <auto release> struct Releaser {
    template <typename T> void operator()(T *object) const { release(object); }
};
using ContextHandle = std::unique_ptr<xmlXPathContext, Releaser<xmlXPathFreeContext>>;
using ResultHandle = std::unique_ptr<xmlXPathObject, Releaser<xmlXPathFreeObject>>;
using BufferHandle = std::unique_ptr<xmlBuffer, Releaser<xmlBufferFree>>;
using CompiledHandle = std::unique_ptr<xmlXPathCompExpr, Releaser<xmlXPathFreeCompExpr>>;
using EncodingHandle = std::unique_ptr<xmlCharEncodingHandler, Releaser<xmlCharEncCloseFunc>>;

// Every converted node carries its whole subtree's markup, so nested matches repeat it over and
// over: a small page of deeply nested tables converts to gigabytes. A search may convert the
// base plus so many characters per byte of its page, and fails beyond that instead of exhausting
// memory. That leaves room for every node of a large real page (a few million characters) and
// for a page whose few nodes are huge (each counted in its markup and in its text).
constexpr qint64 kConvertedCharactersBase = 16 * 1024 * 1024;
constexpr qint64 kConvertedCharactersPerByte = 4;

std::optional<QVariantMap> convert(xmlNodePtr node, QVariantMap *parent, bool isAttributeValue,
                                   qint64 &budget);

std::nullopt_t fail(const char *line) {
    Log::write(QString::fromLatin1(line));
    return std::nullopt;
}

QString decode(const xmlChar *text) {
    return QString::fromUtf8(reinterpret_cast<const char *>(text));
}

bool isTextName(const xmlChar *name) {
    return name && std::strcmp(reinterpret_cast<const char *>(name), "text") == 0;
}

// Only these kinds are xmlNode structures whose content field holds their own string;
// the other kinds lay out different fields at that place.
bool holdsContent(const xmlNode *node) {
    switch (node->type) {
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
    case XML_COMMENT_NODE:
    case XML_PI_NODE:
    case XML_ENTITY_REF_NODE:
        break;
    default:
        return false;
    }
    const auto address = reinterpret_cast<std::uintptr_t>(node->content);
    return address != 0 && address != std::numeric_limits<std::uintptr_t>::max();
}

// An entity reference's children point at the shared declaration and a DTD's at declaration
// structures, neither of which is part of the tree being converted.
bool hasTreeChildren(xmlElementType type) {
    switch (type) {
    case XML_ELEMENT_NODE:
    case XML_ATTRIBUTE_NODE:
    case XML_DOCUMENT_NODE:
    case XML_HTML_DOCUMENT_NODE:
    case XML_DOCUMENT_FRAG_NODE:
        return true;
    default:
        return false;
    }
}

// A namespace node is an xmlNs, which shares no field beyond its type with xmlNode.
QVariantMap namespaceDictionary(const xmlNs *space) {
    QVariantMap dictionary;
    if (space->prefix)
        dictionary.insert(nodeNameKey, decode(space->prefix));
    if (space->href)
        dictionary.insert(nodeContentKey, decode(space->href));
    return dictionary;
}

void addAttributes(QVariantMap &dictionary, const xmlNode *element, qint64 &budget) {
    QVariantList attributes;
    for (xmlAttr *attribute = element->properties; attribute; attribute = attribute->next) {
        QVariantMap entry;
        if (attribute->name)
            entry.insert(attributeNameKey, decode(attribute->name));
        if (attribute->children) {
            if (auto value = convert(attribute->children, &entry, true, budget))
                entry.insert(attributeContentKey, *value);
        }
        if (!entry.isEmpty())
            attributes.append(entry);
    }
    if (!attributes.isEmpty())
        dictionary.insert(nodeAttributeArrayKey, attributes);
}

void addChildren(QVariantMap &dictionary, const xmlNode *node, qint64 &budget) {
    QVariantList children;
    for (xmlNode *child = node->children; child; child = child->next) {
        if (auto converted = convert(child, &dictionary, false, budget))
            children.append(*converted);
    }
    if (!children.isEmpty())
        dictionary.insert(nodeChildArrayKey, children);
}

void addRaw(QVariantMap &dictionary, xmlNode *node, qint64 &budget) {
    const BufferHandle buffer(xmlBufferCreate());
    if (!buffer)
        return;
    xmlNodeDump(buffer.get(), node->doc, node, 0, 0);
    budget -= buffer->use;
    if (buffer->content && budget >= 0)
        dictionary.insert(rawKey, QString::fromUtf8(reinterpret_cast<const char *>(buffer->content),
                                                    buffer->use));
}

// One node and its subtree as a NodeDictionary, charging what it decodes to `budget`; once that
// is spent the result is incomplete and only fit to be thrown away.
std::optional<QVariantMap> convert(xmlNodePtr node, QVariantMap *parent, bool isAttributeValue,
                                   qint64 &budget) {
    if (budget < 0)
        return std::nullopt;
    if (node->type == XML_NAMESPACE_DECL)
        return namespaceDictionary(reinterpret_cast<const xmlNs *>(node));
    QVariantMap dictionary;
    const bool namedText = isTextName(node->name);
    if (node->name)
        dictionary.insert(nodeNameKey, namedText ? textName : decode(node->name));
    if (holdsContent(node)) {
        const QString content = decode(node->content);
        budget -= content.size();
        if (parent && namedText) {
            if (isAttributeValue) {
                parent->insert(nodeContentKey, Whitespace::trimmed(content));
                return std::nullopt;
            }
            dictionary.insert(nodeContentKey, content);
            return dictionary;
        }
        dictionary.insert(nodeContentKey, content);
    }
    if (node->type == XML_ELEMENT_NODE)
        addAttributes(dictionary, node, budget);
    if (hasTreeChildren(node->type))
        addChildren(dictionary, node, budget);
    addRaw(dictionary, node, budget);
    return dictionary;
}

// RunXPathOnDocument, converting at most `budget` characters.
std::optional<QVariantList> evaluate(xmlDocPtr document, const QString &query, qint64 budget) {
    const ContextHandle context(xmlXPathNewContext(document));
    if (!context)
        return fail("Unable to create XPath context.");
    const QByteArray expression = XPathShortcut::rewrite(query.toUtf8());
    const ResultHandle result(xmlXPathEvalExpression(
        reinterpret_cast<const xmlChar *>(expression.constData()), context.get()));
    if (!result)
        return fail("Unable to evaluate XPath.");
    if (result->type != XPATH_NODESET)
        return fail("Nodes was nil.");
    // libxml2 leaves some empty matches without a node set at all; that is still no match.
    const xmlNodeSet *nodes = result->nodesetval;
    if (!nodes)
        return QVariantList();
    QVariantList dictionaries;
    dictionaries.reserve(std::max(nodes->nodeNr, 0));
    for (int i = 0; i < nodes->nodeNr; ++i) {
        auto dictionary = convert(nodes->nodeTab[i], nullptr, false, budget);
        if (budget < 0)
            return fail("Unable to evaluate XPath.");
        if (dictionary)
            dictionaries.append(*dictionary);
    }
    return dictionaries;
}

// Japanese sites label pages written in Windows code page 932 as Shift_JIS. Strict Shift_JIS
// stops at the first of CP932's extra characters (髙 of 髙島屋, circled figures) and the rest of
// the page is lost; CP932 reads every strict Shift_JIS page the same, so it stands in for it.
void readShiftJisAsCp932() {
    static const bool registered = [] {
        for (const char *name : {"SHIFT_JIS", "SHIFT-JIS", "SJIS", "MS_KANJI", "CSSHIFTJIS"})
            xmlAddEncodingAlias("CP932", name);
        return true;
    }();
    Q_UNUSED(registered);
}

// libxml2 reports a query's syntax errors on stderr; a checked query's errors are the caller's.
class QuietErrors {
public:
    QuietErrors()
        : m_handler(xmlStructuredError)
        , m_context(xmlStructuredErrorContext) {
        xmlSetStructuredErrorFunc(nullptr, [](void *, xmlErrorPtr) {});
    }
    ~QuietErrors() { xmlSetStructuredErrorFunc(m_context, m_handler); }
    QuietErrors(const QuietErrors &) = delete;
    QuietErrors &operator=(const QuietErrors &) = delete;

private:
    xmlStructuredErrorFunc m_handler;
    void *m_context;
};

} // namespace

namespace XPathQuery {

void DocumentRelease::operator()(xmlDocPtr document) const {
    xmlFreeDoc(document);
}

Document ParseDocument(const QByteArray &data, bool isXML, const QByteArray &encoding) {
    readShiftJisAsCp932();
    Document document;
    // libxml2 takes the size as an int; a larger document must not be parsed truncated.
    if (data.size() <= std::numeric_limits<int>::max()) {
        const int size = static_cast<int>(data.size());
        document.reset(isXML ? xmlReadMemory(data.constData(), size, "", nullptr, XML_PARSE_RECOVER)
                             : htmlReadMemory(data.constData(), size, "",
                                              encoding.isEmpty() ? nullptr : encoding.constData(),
                                              HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING));
    }
    if (!document)
        fail("Unable to parse.");
    return document;
}

std::optional<QVariantList> HtmlXPathSearch(const QByteArray &data, const QString &query) {
    const Document document = ParseDocument(data, false);
    return document ? RunXPathOnDocument(document.get(), query, data.size()) : std::nullopt;
}

std::optional<QVariantList> XmlXPathSearch(const QByteArray &data, const QString &query) {
    const Document document = ParseDocument(data, true);
    return document ? RunXPathOnDocument(document.get(), query, data.size()) : std::nullopt;
}

std::optional<QVariantList> RunXPathOnDocument(xmlDocPtr document, const QString &query,
                                               qsizetype pageBytes) {
    return evaluate(document, query,
                    kConvertedCharactersBase + kConvertedCharactersPerByte * pageBytes);
}

bool IsValidQuery(const QString &query) {
    const QuietErrors quiet;
    const QByteArray expression = query.toUtf8();
    return !query.isEmpty() && CompiledHandle(xmlXPathCompile(
                                   reinterpret_cast<const xmlChar *>(expression.constData())));
}

bool IsKnownEncoding(const QByteArray &name) {
    readShiftJisAsCp932();
    return !name.isEmpty() && EncodingHandle(xmlFindCharEncodingHandler(name.constData()));
}

} // namespace XPathQuery
