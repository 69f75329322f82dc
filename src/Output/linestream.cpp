#include "Output/linestream.h"

#include <QMessageLogContext>

#include <cstdio>

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

LineStream &LineStream::appendSigned(long long value)
{
    char digits[24];
    const int length = std::snprintf(digits, sizeof digits, "%lld ", value);
    m_buffer.append(digits, length);
    return *this;
}

LineStream &LineStream::appendUnsigned(unsigned long long value)
{
    char digits[24];
    const int length = std::snprintf(digits, sizeof digits, "%llu ", value);
    m_buffer.append(digits, length);
    return *this;
}

LineStream &LineStream::appendPointer(quintptr value)
{
    char digits[24];
    const int length = std::snprintf(digits, sizeof digits, "0x%llx ",
                                     static_cast<unsigned long long>(value));
    m_buffer.append(digits, length);
    return *this;
}

} // namespace Output
