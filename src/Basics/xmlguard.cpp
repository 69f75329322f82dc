#include "Basics/xmlguard_p.h"

#include <QTextCodec>

#include <cstring>

namespace XmlGuard {

namespace {

enum class Verdict { Fine, DocumentType, TooManyAttributes };

// Scans code units (bytes of an encoding that spells markup in ASCII, or
// UTF-16 or UTF-32 units) for the markup the format refuses.
template <class Unit>
class Scanner
{
public:
    Scanner(const Unit *begin, const Unit *end) : m_at(begin), m_end(end) {}

    Verdict run()
    {
        int depth = 0;
        bool rootSeen = false;
        while (find('<')) {
            ++m_at;
            if (startsWith("!--")) {
                if (!skipPast("-->"))
                    break;
            } else if (startsWith("![CDATA[")) {
                if (!skipPast("]]>"))
                    break;
            } else if (startsWith("?")) {
                if (!skipPast("?>"))
                    break;
            } else if (startsWith("!DOCTYPE")) {
                return Verdict::DocumentType;
            } else if (startsWith("!")) {
                break; // no other declaration is XML: the reader reports it
            } else if (startsWith("/")) {
                if (--depth <= 0 && rootSeen)
                    break; // nothing after the root is read
            } else {
                bool empty = false;
                if (!startTag(&empty))
                    return Verdict::TooManyAttributes;
                rootSeen = true;
                if (!empty)
                    ++depth;
                else if (depth == 0)
                    break;
            }
        }
        return Verdict::Fine;
    }

private:
    static bool isSpace(Unit c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

    bool find(char c)
    {
        while (m_at != m_end && *m_at != Unit(c))
            ++m_at;
        return m_at != m_end;
    }

    bool startsWith(const char *text) const
    {
        const std::size_t length = std::strlen(text);
        if (std::size_t(m_end - m_at) < length)
            return false;
        for (std::size_t i = 0; i < length; ++i) {
            if (m_at[i] != Unit(text[i]))
                return false;
        }
        return true;
    }

    bool skipPast(const char *text)
    {
        while (find(text[0])) {
            if (startsWith(text)) {
                m_at += std::strlen(text);
                return true;
            }
            ++m_at;
        }
        return false;
    }

    // Counts the attributes of the start tag at m_at (just after '<'): false
    // when there are too many. A tag that is not well-formed ends the count;
    // the reader reports it.
    bool startTag(bool *empty)
    {
        int attributes = 0;
        while (m_at != m_end) {
            const Unit c = *m_at;
            if (c == Unit('>'))
                return true;
            if (c == Unit('/') && m_at + 1 != m_end && m_at[1] == Unit('>')) {
                *empty = true;
                return true;
            }
            if (c == Unit('"') || c == Unit('\'')) {
                ++m_at;
                if (!find(char(c)))
                    return true;
                if (++attributes > MaxAttributes)
                    return false;
            } else if (c == Unit('<')) {
                return true; // the next markup starts here
            }
            ++m_at;
        }
        return true;
    }

    const Unit *m_at;
    const Unit *m_end;
};

template <class Unit>
Verdict scan(const Unit *units, qsizetype count)
{
    return Scanner<Unit>(units, units + count).run();
}

// The encoding named in the XML declaration at the start of \a document, or
// an empty text.
QByteArray declaredEncoding(QByteArray document)
{
    if (document.startsWith("\xEF\xBB\xBF"))
        document.remove(0, 3);
    if (!document.startsWith("<?xml"))
        return QByteArray();
    const int end = document.indexOf("?>");
    const QByteArray declaration = document.left(end < 0 ? 256 : end);
    const int name = declaration.indexOf("encoding");
    if (name < 0)
        return QByteArray();
    int at = declaration.indexOf('=', name);
    if (at < 0)
        return QByteArray();
    while (++at < declaration.size() && (declaration.at(at) == ' ' || declaration.at(at) == '\t'
                                         || declaration.at(at) == '\r' || declaration.at(at) == '\n')) {
    }
    if (at >= declaration.size() || (declaration.at(at) != '"' && declaration.at(at) != '\''))
        return QByteArray();
    const int close = declaration.indexOf(declaration.at(at), at + 1);
    return close < 0 ? QByteArray() : declaration.mid(at + 1, close - at - 1);
}

// The codec the reader decodes \a document with, when it is not UTF-8 (a
// byte order mark or the pattern of "<" in UTF-16 or UTF-32, or another
// encoding named in the XML declaration); null for UTF-8 and for names the
// reader does not know (it refuses those itself).
QTextCodec *otherCodec(const QByteArray &document)
{
    const auto byte = [&](int i) { return i < document.size() ? uchar(document.at(i)) : 0x100; };
    int mib = 0;
    if ((byte(0) == 0 && byte(1) == 0 && byte(2) == 0xFE && byte(3) == 0xFF)
        || (byte(0) == 0xFF && byte(1) == 0xFE && byte(2) == 0 && byte(3) == 0))
        mib = 1017; // UTF-32 by its byte order mark
    else if (byte(0) == 0x3C && byte(1) == 0 && byte(2) == 0 && byte(3) == 0)
        mib = 1019; // UTF-32LE
    else if (byte(0) == 0 && byte(1) == 0 && byte(2) == 0 && byte(3) == 0x3C)
        mib = 1018; // UTF-32BE
    else if ((byte(0) == 0xFE && byte(1) == 0xFF) || (byte(0) == 0xFF && byte(1) == 0xFE))
        mib = 1015; // UTF-16 by its byte order mark
    else if (byte(0) == 0x3C && byte(1) == 0)
        mib = 1014; // UTF-16LE
    else if (byte(0) == 0 && byte(1) == 0x3C)
        mib = 1013; // UTF-16BE
    if (mib != 0)
        return QTextCodec::codecForMib(mib);
    const QByteArray name = declaredEncoding(document);
    QTextCodec *codec = name.isEmpty() ? nullptr : QTextCodec::codecForName(name);
    return codec && codec->mibEnum() != 106 ? codec : nullptr;
}

} // namespace

QString check(const QByteArray &document)
{
    // UTF-8 spells markup in ASCII bytes that never occur inside a
    // multi-byte character: its bytes are scanned as they are.
    QTextCodec *codec = otherCodec(document);
    Verdict verdict = Verdict::Fine;
    if (!codec) {
        verdict = scan(reinterpret_cast<const uchar *>(document.constData()), document.size());
    } else {
        const QString units = codec->toUnicode(document);
        verdict = scan(reinterpret_cast<const ushort *>(units.constData()), units.size());
    }
    switch (verdict) {
    case Verdict::Fine:
        break;
    case Verdict::DocumentType:
        return QStringLiteral("Document type declarations are not supported.");
    case Verdict::TooManyAttributes:
        return QStringLiteral("More than %1 attributes on one element.").arg(MaxAttributes);
    }
    return QString();
}

QString encodingName(const QByteArray &document)
{
    QTextCodec *codec = otherCodec(document);
    return codec ? QString::fromLatin1(codec->name()) : QStringLiteral("UTF-8");
}

} // namespace XmlGuard
