#pragma once

// LineStream: one diagnostic line, built item by item and handed to the
// toolkit's message output as a single message when the stream ends.
//
// Item spacing (the toolkit's classic debug-stream manner):
//  - every item is followed by one space, the last one included;
//  - C strings (and QByteArray) are written unchanged;
//  - QString items are written between double quotes, nothing escaped;
//  - integers in decimal, pointers as "0x" plus lower-case hex digits;
//  - any other type is written as QDebug writes it.
// The finished line passes through the local 8-bit encoding and reaches an
// installed message handler whole, trailing space included.

#include <basicsdll_export.h>

#include <QByteArray>
#include <QDebug>
#include <QString>
#include <QtGlobal>

#include <cstddef>
#include <type_traits>

namespace Output {

/// One diagnostic line, built item by item with operator<< and emitted as a
/// single message of \a type when the stream is destroyed (see the top of
/// this header for the item spacing).
class BASICSDLL_EXPORT LineStream
{
public:
    /// An empty line that becomes a message of \a type.
    explicit LineStream(QtMsgType type = QtDebugMsg);
    /// Passes file, line and function on to the message handler's context.
    LineStream(QtMsgType type, const char *file, int line, const char *function);
    /// Emits the line through the toolkit's message output.
    ~LineStream();

    LineStream(const LineStream &) = delete;
    LineStream &operator=(const LineStream &) = delete;

    /// \name Items
    /// Appends one item and the space after it (see the top of this header):
    /// texts unchanged, QString between double quotes, numbers in decimal,
    /// pointers as "0x" and lower-case hexadecimal digits.
    ///@{
    LineStream &operator<<(const char *text);
    LineStream &operator<<(char *text) { return operator<<(static_cast<const char *>(text)); }
    LineStream &operator<<(const QByteArray &text);
    LineStream &operator<<(const QString &text);
    LineStream &operator<<(QLatin1String text);
    LineStream &operator<<(QChar character);
    LineStream &operator<<(char character);
    LineStream &operator<<(bool value);
    LineStream &operator<<(signed char value) { return appendSigned(value); }
    LineStream &operator<<(unsigned char value) { return appendUnsigned(value); }
    LineStream &operator<<(short value) { return appendSigned(value); }
    LineStream &operator<<(unsigned short value) { return appendUnsigned(value); }
    LineStream &operator<<(int value) { return appendSigned(value); }
    LineStream &operator<<(unsigned int value) { return appendUnsigned(value); }
    LineStream &operator<<(long value) { return appendSigned(value); }
    LineStream &operator<<(unsigned long value) { return appendUnsigned(value); }
    LineStream &operator<<(long long value) { return appendSigned(value); }
    LineStream &operator<<(unsigned long long value) { return appendUnsigned(value); }
    LineStream &operator<<(float value) { return operator<<(double(value)); }
    LineStream &operator<<(double value);
    LineStream &operator<<(std::nullptr_t) { return appendPointer(0); }
    LineStream &operator<<(const void *pointer) { return appendPointer(quintptr(pointer)); }

    template <class T>
    LineStream &operator<<(T *pointer)
    {
        return appendPointer(quintptr(pointer));
    }

    /// Fallback for every other type the toolkit's QDebug can write.
    template <class T>
    LineStream &operator<<(const T &value)
    {
        QString text;
        QDebug(&text).nospace() << value;
        return appendRaw(text.toLocal8Bit());
    }
    ///@}

    /// Writes \a text and no space after it.
    LineStream &appendWithoutSpace(const char *text);
    /// Writes the text of \a bytes unchanged, followed by one space.
    LineStream &appendRaw(const QByteArray &bytes);

    /// The line built so far.
    const QByteArray &text() const { return m_buffer; }

private:
    LineStream &appendSigned(long long value);
    LineStream &appendUnsigned(unsigned long long value);
    LineStream &appendPointer(quintptr value);

    QByteArray m_buffer;
    QtMsgType m_type;
    const char *m_file = nullptr;
    int m_line = 0;
    const char *m_function = nullptr;
};

} // namespace Output
