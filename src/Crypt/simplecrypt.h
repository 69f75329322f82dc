#pragma once

// SimpleCrypt: keyed scrambling of small amounts of application data, with
// optional compression and an integrity check.
//
// It protects against casual reading and accidental change; it is not strong
// encryption (the key stream is the key's eight bytes repeated).
//
//     SimpleCrypt crypt(Q_UINT64_C(0x0c2ad4a4acb9f023));
//     const QString text = crypt.encryptToString(QStringLiteral("secret"));
//     const QString back = crypt.decryptToString(text);   // "secret"
//     if (crypt.errorCode() != SimpleCrypt::NoError) ...
//
// Cyphertext (bytes):
//     [0]  version, always 3
//     [1]  flags: 1 = body compressed (qCompress level 9),
//                 2 = CRC-16 present (qChecksum, 2 bytes big-endian),
//                 4 = SHA-1 present (20 bytes)
//     [2…] the scrambled payload: random byte, integrity value, body
// The integrity value covers the body as stored (after compression). The
// scramble is a chained XOR: c[i] = p[i] ^ key byte (i % 8) ^ c[i-1], with
// c[-1] = 0 and key byte j = bits 8j..8j+7 of the key.
// The text form is the Base64 encoding of the bytes; strings are encrypted
// as UTF-8 and decrypted text is read as UTF-8.
//
// Errors: every operation sets errorCode() (see Error) and returns an empty
// result on failure, except that a cyphertext shorter than 3 bytes returns
// an empty result and leaves the last error as it was. A plaintext too large
// for the cyphertext to fit a QByteArray (about 2 GiB), and running out of
// memory in any operation, give IntegrityError; no exception leaves these
// functions. "No key set." and
// "Invalid version or not a cyphertext." are also written as warnings
// (QtWarningMsg) through the toolkit's message output.
//
// Random byte: the low 8 bits of the calling thread's qrand(). Constructing
// a SimpleCrypt seeds that generator (qsrand) with the low 16 bits of the
// current time in seconds since 1970 (UTC).
//
// Decompression never allocates more than the compressed body can expand
// to, whatever length its first four bytes claim; a body that does not
// inflate completely counts as an integrity failure.
//
// Flags: a flags byte with bits the format does not define (8 and up) is
// corrupt (IntegrityError). The flags byte itself is not covered by the
// integrity value, so a damaged flag can switch the check off: callers that
// always write with integrity should demand it when reading,
//
//     crypt.setRequiredIntegrity(SimpleCrypt::ChecksumIntegrity);
//
// which refuses cyphertexts that carry no checksum or hash. A cleared
// compression flag cannot be detected (the body is then returned still
// compressed), since the integrity value covers the body as stored.
//
// An object is used by one thread at a time.

#include <basicsdll_export.h>

#include <QByteArray>
#include <QString>
#include <QVector>
#include <QtGlobal>

/// Scrambles byte arrays and texts with a 64-bit key into a versioned,
/// optionally compressed and integrity-checked cyphertext (see the top of
/// this header).
class BASICSDLL_EXPORT SimpleCrypt
{
public:
    // Fixed underlying types: any int may be stored (and behaves as documented).
/// Whether encryption compresses the plaintext.
    enum CompressionPolicy : int {
        CompressIfSmaller = 0, ///< keep the compressed body only if strictly shorter
        CompressAlways = 1,
        CompressNever = 2 ///< also any value other than 0 and 1
    };

/// The integrity value encryption stores.
    enum IntegrityMode : int {
        NoIntegrity = 0, ///< also any value other than 1 and 2
        ChecksumIntegrity = 1, ///< CRC-16 (qChecksum)
        HashIntegrity = 2 ///< SHA-1
    };

/// The outcome of the last encryption or decryption.
    enum Error : int {
        NoError = 0,
        NoKeyError = 1, ///< no key set
        VersionError = 2, ///< not a version 3 cyphertext
        IntegrityError = 3 ///< checksum or hash missing or different, a damaged body,
                           ///< undefined flag bits, less integrity than required, or a
                           ///< cyphertext too large to be made
    };

    /// No key; seeds the calling thread's qrand().
    SimpleCrypt();
    /// Key \a key (0 is a valid key); seeds the calling thread's qrand().
    explicit SimpleCrypt(quint64 key);
    virtual ~SimpleCrypt();

/// Copies key, settings and the last error.
    SimpleCrypt(const SimpleCrypt &) = default;
/// Copies key, settings and the last error.
    SimpleCrypt &operator=(const SimpleCrypt &) = default;

/// Sets the key and its key bytes.
    void setKey(quint64 key);
/// The key (0 when none was set).
    quint64 key() const { return m_key; }
    /// Rebuilds the key bytes from the key: eight bytes, least significant
    /// first.
    void splitKey();
    /// True once a key was set (also for key 0).
    bool keyIsSet() const { return !m_keyParts.isEmpty(); }

/// Sets whether encryption compresses; CompressIfSmaller by default.
    void setCompressionPolicy(CompressionPolicy policy) { m_compressionPolicy = policy; }
/// See setCompressionPolicy().
    CompressionPolicy compressionPolicy() const { return m_compressionPolicy; }
/// Sets the integrity value encryption stores; ChecksumIntegrity by
/// default.
    void setIntegrityMode(IntegrityMode mode) { m_integrityMode = mode; }
/// See setIntegrityMode().
    IntegrityMode integrityMode() const { return m_integrityMode; }
    /// Off: the first payload byte is 0, so equal inputs give equal outputs.
    void setRandomByte(bool on) { m_randomByte = on; }
/// See setRandomByte().
    bool randomByte() const { return m_randomByte; }
/// The outcome of the last encryption or decryption.
    Error errorCode() const { return m_lastError; }

    /// The least integrity a cyphertext must carry to be decrypted; one
    /// without it gives IntegrityError. NoIntegrity (the default) accepts
    /// every cyphertext; ChecksumIntegrity demands a CRC-16 or a SHA-1;
    /// HashIntegrity demands a SHA-1 that is actually checked (flag 4
    /// without flag 2, since the checksum is read when both are set).
    /// Encryption is not affected.
    void setRequiredIntegrity(IntegrityMode minimum) { m_requiredIntegrity = minimum; }
    /// See setRequiredIntegrity().
    IntegrityMode requiredIntegrity() const { return m_requiredIntegrity; }

/// The cyphertext bytes of \a plaintext; empty on failure (see
/// errorCode()).
    QByteArray encryptToByteArray(QByteArray plaintext);
/// The cyphertext bytes of the UTF-8 of \a plaintext.
    QByteArray encryptToByteArray(const QString &plaintext);
/// The Base64 text form of the cyphertext of the UTF-8 of \a plaintext.
    QString encryptToString(const QString &plaintext);
/// The Base64 text form of the cyphertext of \a plaintext.
    QString encryptToString(QByteArray plaintext);

    /// \a cypher: cyphertext bytes.
    QByteArray decryptToByteArray(QByteArray cypher);
    /// \a cyphertext: the Base64 text form.
    QByteArray decryptToByteArray(const QString &cyphertext);
    /// \a cyphertext: the Base64 text form.
    QString decryptToString(const QString &cyphertext);
    /// \a cypher: cyphertext bytes.
    QString decryptToString(QByteArray cypher);

private:
    /// Sets IntegrityError after an allocation failure.
    void failForLackOfMemory();
    QByteArray encryptBytes(const QByteArray &plaintext);
    QByteArray decryptBytes(const QByteArray &cypher);
    /// The key bytes as one little-endian word.
    quint64 keyStream() const;

    quint64 m_key = 0;
    QVector<char> m_keyParts;
    CompressionPolicy m_compressionPolicy = CompressIfSmaller;
    IntegrityMode m_integrityMode = ChecksumIntegrity;
    IntegrityMode m_requiredIntegrity = NoIntegrity;
    Error m_lastError = NoError;
    bool m_randomByte = true;
};
