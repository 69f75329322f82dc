#include "Output/linestream.h"

#include <QMessageLogContext>

#include <charconv>

namespace Output {

namespace {
constexpr int s_typicalLineLength = 256;
}

LineStream::LineStream(QtMsgType type)
    : m_type(type)
{
    m_buffer.reserve(s_typicalLineLength);
}

LineStream::LineStream(QtMsgType type, const char *file, int line, const char *function)
    : m_type(type)
    , m_file(file)
    , m_line(line)
    , m_function(function)
{
    m_buffer.reserve(s_typicalLineLength);
}

LineStream::~LineStream()
{
    const QMessageLogContext context(m_file, m_line, m_function, "default");
    qt_message_output(m_type, context, QString::fromLocal8Bit(m_buffer));
}

LineStream &LineStream::operator<<(const char *text)
{
    if (text)
        m_buffer.append(text);
    m_buffer.append(' ');
    return *this;
}

LineStream &LineStream::operator<<(const QByteArray &text)
{
    m_buffer.append(text);
    m_buffer.append(' ');
    return *this;
}

LineStream &LineStream::operator<<(const QString &text)
{
    m_buffer.append('"');
    m_buffer.append(text.toLocal8Bit());
    m_buffer.append("\" ", 2);
    return *this;
}

LineStream &LineStream::operator<<(QLatin1String text)
{
    return operator<<(QString(text));
}

LineStream &LineStream::operator<<(QChar character)
{
    m_buffer.append('\'');
    m_buffer.append(QString(character).toLocal8Bit());
    m_buffer.append("' ", 2);
    return *this;
}

LineStream &LineStream::operator<<(char character)
{
    m_buffer.append(character);
    m_buffer.append(' ');
    return *this;
}

LineStream &LineStream::operator<<(bool value)
{
    return operator<<(value ? "true" : "false");
}

LineStream &LineStream::operator<<(double value)
{
    m_buffer.append(QByteArray::number(value, 'g', 6));
    m_buffer.append(' ');
    return *this;
}

LineStream &LineStream::appendWithoutSpace(const char *text)
{
    if (text)
        m_buffer.append(text);
    return *this;
}

LineStream &LineStream::appendRaw(const QByteArray &bytes)
{
    return operator<<(bytes);
}

// Integers are formatted with std::to_chars: the locale-free, allocation-free
// conversion keeps trace lines cheap.
template <class Integer>
static void appendNumber(QByteArray &buffer, const char *prefix, Integer value, int base)
{
    char digits[32];
    char *end = digits;
    while (*prefix)
        *end++ = *prefix++;
    end = std::to_chars(end, digits + sizeof digits - 1, value, base).ptr;
    *end++ = ' ';
    buffer.append(digits, int(end - digits));
}

LineStream &LineStream::appendSigned(long long value)
{
    appendNumber(m_buffer, "", value, 10);
    return *this;
}

LineStream &LineStream::appendUnsigned(unsigned long long value)
{
    appendNumber(m_buffer, "", value, 10);
    return *this;
}

LineStream &LineStream::appendPointer(quintptr value)
{
    appendNumber(m_buffer, "0x", static_cast<unsigned long long>(value), 16);
    return *this;
}

} // namespace Output
