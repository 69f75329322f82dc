// The fast path for reading typed XML documents: a parser for the layout the
// writer makes, and only that. Whatever it does not recognise, it declines,
// and the reference reader on the toolkit's stream reader takes the whole
// document (variantxmlreader.cpp), so that every error text, and every
// document outside the layout, is exactly the reference's.
//
// Recognised: the writer's XML declaration, whitespace between elements, the
// elements "QVariantMap", "entry", "value" and "item" with the attributes
// "type", "key" and "typeName" written name="value", text with the five
// predefined references and character references, and line ends LF, CR LF
// or CR (made LF, as XML requires). Declined, among others: comments,
// processing instructions, CDATA, other elements or attributes, text
// between elements, whitespace inside tags other than between attributes,
// raw tabs and line ends in attribute values, nesting beyond the limit,
// anything XML forbids.

#include "Basics/variantxml_p.h"

#include <QStringList>
#include <QTextCodec>

#include <cstring>
#include <type_traits>

namespace VariantXml {

namespace {

const char Declaration[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";

enum class Element { QVariantMap, Entry, Value, Item };

bool isXmlSpace(ushort c)
{
    return c == ' ' || c == '\n' || c == '\t' || c == '\r';
}

// A character XML allows in a document (the surrogates of a valid UTF-16
// pair are allowed in their pair; decoding UTF-8 makes no others).
bool isXmlChar(uint c)
{
    return c >= 0x20 ? (c < 0xFFFE) : (c == 0x9 || c == 0xA || c == 0xD);
}

// Thrown for anything the fast path does not take; caught once at the top.
struct Declined
{
};

class OwnLayoutReader
{
public:
    explicit OwnLayoutReader(const QString &text)
        : m_text(text), m_begin(text.utf16()), m_at(m_begin), m_end(m_begin + text.size())
    {
    }

    QVariantMap read()
    {
        expectAscii(Declaration);
        skipSpace();
        Tag root;
        if (!startTag(&root) || root.element != Element::QVariantMap || root.kind != Kind::Map)
            throw Declined();
        return readValue(root, 0).toMap();
    }

private:
    enum class Kind { Map, List, StringList, Scalar };

    struct Tag
    {
        Element element = Element::Value;
        Kind kind = Kind::Scalar;
        Scalar scalar = Scalar::String;
        QString key;
        bool empty = false; // an empty-element tag
    };

    void expectAscii(const char *ascii)
    {
        for (; *ascii; ++ascii, ++m_at) {
            if (m_at == m_end || *m_at != ushort(uchar(*ascii)))
                throw Declined();
        }
    }
    bool startsWith(const char *ascii) const
    {
        const ushort *at = m_at;
        for (; *ascii; ++ascii, ++at) {
            if (at == m_end || *at != ushort(uchar(*ascii)))
                return false;
        }
        return true;
    }
    void skipSpace()
    {
        while (m_at != m_end && isXmlSpace(*m_at))
            ++m_at;
    }
    ushort next() const
    {
        if (m_at == m_end)
            throw Declined();
        return *m_at;
    }

    bool startTag(Tag *tag);
    void attribute(Tag *tag, bool *seenType, bool *seenKey, bool *seenTypeName);
    void reference(QString *out);
    void endTag(Element element);
    QVariant readValue(const Tag &tag, int depth);
    QVariantMap readMap(int depth);
    // The "item" elements up to the end tag: a list or a string list.
    template <typename List>
    List readItems(int depth);
    QVariant readScalar(const Tag &tag);

    const QString &m_text;
    const ushort *const m_begin;
    const ushort *m_at;
    const ushort *const m_end;
};

const char *elementName(Element element)
{
    switch (element) {
    case Element::QVariantMap: return "QVariantMap";
    case Element::Entry: return "entry";
    case Element::Value: return "value";
    case Element::Item: return "item";
    }
    return "";
}

// Reads a start tag of the format at '<'; false (nothing read) when there is
// none here, such as an end tag.
bool OwnLayoutReader::startTag(Tag *tag)
{
    if (next() != '<' || m_at + 1 == m_end || m_at[1] == '/')
        return false;
    ++m_at;
    static const Element elements[] = {Element::QVariantMap, Element::Entry, Element::Value,
                                       Element::Item};
    bool named = false;
    for (Element element : elements) {
        const char *name = elementName(element);
        if (startsWith(name)) {
            const ushort *after = m_at + std::strlen(name);
            if (after != m_end && (isXmlSpace(*after) || *after == '>' || *after == '/')) {
                m_at = after;
                tag->element = element;
                named = true;
                break;
            }
        }
    }
    if (!named)
        throw Declined();
    bool seenType = false;
    bool seenKey = false;
    bool seenTypeName = false;
    for (;;) {
        const ushort c = next();
        if (c == '>') {
            ++m_at;
            return true;
        }
        if (c == '/') {
            ++m_at;
            if (next() != '>')
                throw Declined();
            ++m_at;
            tag->empty = true;
            return true;
        }
        if (!isXmlSpace(c))
            throw Declined(); // attributes need whitespace in front
        skipSpace();
        if (next() != '>' && next() != '/')
            attribute(tag, &seenType, &seenKey, &seenTypeName);
    }
}

void OwnLayoutReader::attribute(Tag *tag, bool *seenType, bool *seenKey, bool *seenTypeName)
{
    bool *seen = nullptr;
    int which = 0;
    if (startsWith("type=\"")) {
        seen = seenType;
        m_at += 6;
    } else if (startsWith("key=\"")) {
        seen = seenKey;
        which = 1;
        m_at += 5;
    } else if (startsWith("typeName=\"")) {
        seen = seenTypeName;
        which = 2;
        m_at += 10;
    } else {
        throw Declined();
    }
    if (*seen || int(*seenType) + int(*seenKey) + int(*seenTypeName) == 2)
        throw Declined(); // the reference reports a repetition or a third one
    *seen = true;

    const ushort *start = m_at;
    QString decoded;
    bool referenced = false;
    for (;;) {
        const ushort c = next();
        if (c == '"')
            break;
        if (c == '&') {
            if (!referenced)
                decoded = QString(reinterpret_cast<const QChar *>(start), int(m_at - start));
            referenced = true;
            reference(&decoded);
            continue;
        }
        // '<' is an error; raw tabs and line ends are normalised in values.
        if (c == '<' || c < 0x20 || !isXmlChar(c))
            throw Declined();
        if (referenced)
            decoded.append(QChar(c));
        ++m_at;
    }
    const QStringRef value = referenced ? QStringRef(&decoded)
                                        : QStringRef(&m_text, int(start - m_begin), int(m_at - start));
    ++m_at;
    if (which == 1) {
        tag->key = value.toString();
    } else if (which == 0) {
        if (value == MapType)
            tag->kind = Kind::Map;
        else if (value == ListType)
            tag->kind = Kind::List;
        else if (value == StringListType)
            tag->kind = Kind::StringList;
        else
            tag->scalar = scalarType(value);
    }
}

// A reference at '&': appends its character to \a out.
void OwnLayoutReader::reference(QString *out)
{
    ++m_at;
    static const struct
    {
        const char *name;
        char character;
    } predefined[] = {{"lt;", '<'}, {"gt;", '>'}, {"amp;", '&'}, {"quot;", '"'}, {"apos;", '\''}};
    for (const auto &entity : predefined) {
        if (startsWith(entity.name)) {
            m_at += std::strlen(entity.name);
            out->append(QLatin1Char(entity.character));
            return;
        }
    }
    if (next() != '#')
        throw Declined();
    ++m_at;
    const bool hex = next() == 'x';
    if (hex)
        ++m_at;
    uint code = 0;
    int digits = 0;
    for (;; ++m_at, ++digits) {
        const ushort c = next();
        uint digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (hex && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            break;
        code = code * (hex ? 16 : 10) + digit;
        if (code > 0x10FFFF)
            throw Declined();
    }
    if (digits == 0 || next() != ';' || !(code >= 0x10000 || isXmlChar(code))
        || (code >= 0xD800 && code < 0xE000))
        throw Declined();
    ++m_at;
    if (code >= 0x10000) {
        out->append(QChar(QChar::highSurrogate(code)));
        out->append(QChar(QChar::lowSurrogate(code)));
    } else {
        out->append(QChar(ushort(code)));
    }
}

void OwnLayoutReader::endTag(Element element)
{
    expectAscii("</");
    expectAscii(elementName(element));
    expectAscii(">");
}

QVariant OwnLayoutReader::readValue(const Tag &tag, int depth)
{
    if (tag.kind == Kind::Scalar)
        return readScalar(tag);
    // The reference gives the error for nesting beyond the limit.
    if (depth >= MaxNestingDepth)
        throw Declined();
    QVariant value;
    switch (tag.kind) {
    case Kind::Map:
        value = tag.empty ? QVariantMap() : readMap(depth + 1);
        break;
    case Kind::List:
        value = tag.empty ? QVariantList() : readItems<QVariantList>(depth + 1);
        break;
    case Kind::StringList:
        value = tag.empty ? QStringList() : readItems<QStringList>(depth + 1);
        break;
    case Kind::Scalar:
        break;
    }
    if (!tag.empty)
        endTag(tag.element);
    return value;
}

QVariantMap OwnLayoutReader::readMap(int depth)
{
    QVariantMap map;
    for (;;) {
        skipSpace();
        Tag entry;
        if (!startTag(&entry))
            return map;
        if (entry.element != Element::Entry)
            throw Declined(); // skipped by the reference, with all inside it
        QVariant value;
        if (!entry.empty) {
            for (;;) {
                skipSpace();
                Tag tag;
                if (!startTag(&tag))
                    break;
                if (tag.element != Element::Value)
                    throw Declined();
                value = readValue(tag, depth); // the last "value" wins
            }
            endTag(Element::Entry);
        }
        // Keys come in ascending order from the writer: append at the end.
        if (map.isEmpty() || (map.constEnd() - 1).key() < entry.key)
            map.insert(map.constEnd(), entry.key, value);
        else
            map.insert(entry.key, value); // a repeated key gets the later value
    }
}

template <typename List>
List OwnLayoutReader::readItems(int depth)
{
    List list;
    for (;;) {
        skipSpace();
        Tag item;
        if (!startTag(&item))
            return list;
        if (item.element != Element::Item)
            throw Declined();
        const QVariant value = readValue(item, depth);
        if constexpr (std::is_same_v<List, QStringList>)
            list.append(value.toString());
        else
            list.append(value);
    }
}

// The text of a scalar element up to its end tag, converted by its type.
QVariant OwnLayoutReader::readScalar(const Tag &tag)
{
    // The reference gives an empty text of an empty element as a string that
    // is not null.
    if (tag.empty)
        return scalarFromText(tag.scalar, QStringRef(&m_text, 0, 0));
    const ushort *start = m_at;
    QString decoded;
    bool rebuilt = false;
    for (;;) {
        const ushort c = next();
        if (c == '<')
            break;
        if (c == '&' || c == '\r') {
            if (!rebuilt)
                decoded = QString(reinterpret_cast<const QChar *>(start), int(m_at - start));
            rebuilt = true;
            if (c == '&') {
                reference(&decoded);
            } else {
                // CR LF and a lone CR are line feeds in XML.
                decoded.append(QLatin1Char('\n'));
                ++m_at;
                if (m_at != m_end && *m_at == '\n')
                    ++m_at;
            }
            continue;
        }
        if (!isXmlChar(c) || (c == '>' && m_at - start >= 2 && m_at[-1] == ']' && m_at[-2] == ']'))
            throw Declined(); // "]]>" is not allowed in text
        if (rebuilt)
            decoded.append(QChar(c));
        ++m_at;
    }
    const QStringRef text = rebuilt ? QStringRef(&decoded)
                                    : QStringRef(&m_text, int(start - m_begin), int(m_at - start));
    endTag(tag.element);
    return scalarFromText(tag.scalar, text);
}

} // namespace

bool readOwnLayout(const QByteArray &document, QVariantMap *map)
{
    if (!document.startsWith(Declaration))
        return false;
    // The toolkit's reader decodes with the same decoder and refuses any
    // byte sequence it reports.
    QTextCodec::ConverterState state;
    const QString text = QTextCodec::codecForMib(106)->toUnicode(document.constData(), document.size(), &state);
    if (state.invalidChars > 0 || state.remainingChars > 0)
        return false;
    try {
        *map = OwnLayoutReader(text).read();
    } catch (const Declined &) {
        return false;
    }
    return true;
}

} // namespace VariantXml
