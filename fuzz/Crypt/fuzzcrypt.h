#pragma once

// Shared by the Crypt fuzz targets: fixed keys, forged cyphertexts, and a
// message handler that keeps the library's warnings quiet.

#include <Crypt/simplecrypt.h>
#include <Crypt/xsimplecrypt.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QGuiApplication>

#include <cstdint>
#include <cstdlib>

namespace fuzzcrypt {

constexpr quint64 s_key = Q_UINT64_C(0x0C2AD4A4ACB9F023);
constexpr quint64 s_masterKey = Q_UINT64_C(0x57EAFE7E9F12DC80);

inline void ignoreMessages(QtMsgType, const QMessageLogContext &, const QString &) {}

enum class Application {
    Core, ///< no GUI, as a command-line tool
    Gui ///< a GUI application (offscreen unless a platform is set)
};

/// The application the target runs in, and silent warnings. The
/// application gets its own argument list: it would take arguments such as
/// -platform out of the fuzzer's.
inline int initialize(int *, char ***argv, Application kind = Application::Core)
{
    static int argumentCount = 1;
    static char *arguments[] = {(*argv)[0], nullptr};
    if (kind == Application::Gui) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static QGuiApplication application(argumentCount, arguments);
    } else {
        static QCoreApplication application(argumentCount, arguments);
    }
    qInstallMessageHandler(ignoreMessages);
    return 0;
}

/// A cyphertext of \a payload under \a key whose flags byte is \a flags:
/// the payload bytes (after a random byte of 0) reach the integrity check
/// and the decompression exactly as given.
inline QByteArray forge(quint64 key, uchar flags, const QByteArray &payload)
{
    SimpleCrypt crypt(key);
    crypt.setCompressionPolicy(SimpleCrypt::CompressNever);
    crypt.setIntegrityMode(SimpleCrypt::NoIntegrity);
    crypt.setRandomByte(false);
    QByteArray cypher = crypt.encryptToByteArray(payload);
    cypher[1] = char(flags);
    return cypher;
}

/// A header block made as the library makes it, around \a headerBytes.
inline QByteArray headerBlock(const QByteArray &headerBytes)
{
    SimpleCrypt crypt(s_masterKey);
    crypt.setCompressionPolicy(SimpleCrypt::CompressAlways);
    crypt.setIntegrityMode(SimpleCrypt::HashIntegrity);
    return "<HEADER>" + crypt.encryptToByteArray(headerBytes) + "</HEADER>";
}

/// The blob the fuzzer's bytes stand for. The first byte picks the form:
///   0  the rest is a blob as it is;
///   1  the rest is the header map's byte form (a well-made header block);
///   2  the rest is a compressed header body without integrity value;
///   3  the rest is the data cyphertext's payload, flags from the rest's
///      first byte, behind a well-made header block.
inline QByteArray blobFrom(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return QByteArray();
    const QByteArray rest(reinterpret_cast<const char *>(data + 1), int(size - 1));
    static const QByteArray dataPart = [] {
        SimpleCrypt crypt(s_key);
        return crypt.encryptToByteArray(QByteArray("lens data"));
    }();
    switch (data[0] % 4) {
    case 1:
        return "encrypted" + headerBlock(rest) + dataPart;
    case 2:
        return "encrypted<HEADER>" + forge(s_masterKey, 1, rest) + "</HEADER>" + dataPart;
    case 3: {
        static const QByteArray header = headerBlock(QByteArray::fromHex("00000000"));
        const uchar flags = rest.isEmpty() ? 0 : uchar(rest[0]) & 7;
        return header + forge(s_key, flags, rest.mid(1));
    }
    default:
        return rest;
    }
}

[[noreturn]] inline void fail()
{
    std::abort();
}

} // namespace fuzzcrypt
