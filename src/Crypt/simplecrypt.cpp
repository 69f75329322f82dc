#include "Crypt/simplecrypt.h"

#include "Crypt/boundeduncompress_p.h"
#include "Crypt/cryptkernels_p.h"
#include "Crypt/outofmemory_p.h"
#include "Output/linestream.h"

#include <QCryptographicHash>
#include <QDateTime>

#include <climits>
#include <cstring>

namespace {

constexpr char s_version = 3;

enum Flag : uchar {
    CompressedFlag = 0x01,
    ChecksumFlag = 0x02,
    HashFlag = 0x04,
};
constexpr uchar s_definedFlags = CompressedFlag | ChecksumFlag | HashFlag;

constexpr int s_checksumSize = 2;
constexpr int s_hashSize = 20;
constexpr int s_compressionLevel = 9;
// Version, flags, random byte and the largest integrity value.
constexpr int s_largestOverhead = 2 + 1 + s_hashSize;

void seedRandomGenerator()
{
    qsrand(uint(QDateTime::currentDateTime().toTime_t() & 0xFFFF));
}

void warn(const char *text)
{
    Output::LineStream(QtWarningMsg) << text;
}

// Whether a cyphertext with these flags carries the integrity the caller
// demands. The checksum is what gets checked when both flags are set.
bool carriesIntegrity(uchar flags, SimpleCrypt::IntegrityMode required)
{
    switch (required) {
    case SimpleCrypt::ChecksumIntegrity:
        return (flags & (ChecksumFlag | HashFlag)) != 0;
    case SimpleCrypt::HashIntegrity:
        return (flags & (ChecksumFlag | HashFlag)) == HashFlag;
    default:
        return true;
    }
}

const uchar *bytesOf(const QByteArray &array)
{
    return reinterpret_cast<const uchar *>(array.constData());
}

} // namespace

SimpleCrypt::SimpleCrypt()
{
    seedRandomGenerator();
}

SimpleCrypt::SimpleCrypt(quint64 key)
    : m_key(key)
{
    seedRandomGenerator();
    splitKey();
}

SimpleCrypt::~SimpleCrypt() = default;

void SimpleCrypt::setKey(quint64 key)
{
    m_key = key;
    splitKey();
}

void SimpleCrypt::splitKey()
{
    m_keyParts.clear();
    m_keyParts.reserve(8);
    for (int i = 0; i < 8; ++i)
        m_keyParts.append(char(m_key >> (8 * i)));
}

quint64 SimpleCrypt::keyStream() const
{
    quint64 key = 0;
    for (int i = 0; i < m_keyParts.size() && i < 8; ++i)
        key |= quint64(uchar(m_keyParts.at(i))) << (8 * i);
    return key;
}

QByteArray SimpleCrypt::encryptBytes(const QByteArray &plaintext)
{
    if (m_keyParts.isEmpty()) {
        warn("No key set.");
        m_lastError = NoKeyError;
        return QByteArray();
    }

    uchar flags = 0;
    QByteArray body = plaintext;
    if (m_compressionPolicy == CompressAlways) {
        body = qCompress(plaintext, s_compressionLevel);
        flags |= CompressedFlag;
    } else if (m_compressionPolicy == CompressIfSmaller) {
        const QByteArray compressed = qCompress(plaintext, s_compressionLevel);
        if (compressed.size() < plaintext.size()) {
            body = compressed;
            flags |= CompressedFlag;
        }
    }

    // Random byte, then the integrity value: scrambled ahead of the body.
    uchar prefix[1 + s_hashSize];
    int prefixSize = 1;
    if (m_integrityMode == ChecksumIntegrity) {
        flags |= ChecksumFlag;
        const quint16 checksum = CryptKernels::checksum(body.constData(), std::size_t(body.size()));
        prefix[1] = uchar(checksum >> 8);
        prefix[2] = uchar(checksum);
        prefixSize += s_checksumSize;
    } else if (m_integrityMode == HashIntegrity) {
        flags |= HashFlag;
        const QByteArray hash = QCryptographicHash::hash(body, QCryptographicHash::Sha1);
        std::memcpy(prefix + 1, hash.constData(), s_hashSize);
        prefixSize += s_hashSize;
    }
    const int random = qrand(); // drawn whatever the setting
    prefix[0] = m_randomByte ? uchar(random & 0xFF) : 0;

    if (body.size() > INT_MAX - 64 - s_largestOverhead) {
        // The toolkit's byte arrays cannot hold the result.
        m_lastError = IntegrityError;
        return QByteArray();
    }

    QByteArray result(2 + prefixSize + body.size(), Qt::Uninitialized);
    uchar *out = reinterpret_cast<uchar *>(result.data());
    out[0] = s_version;
    out[1] = flags;
    const quint64 key = keyStream();
    const quint8 last = CryptKernels::scramble(prefix, out + 2, std::size_t(prefixSize), key, 0, 0);
    CryptKernels::scramble(bytesOf(body), out + 2 + prefixSize, std::size_t(body.size()), key,
                           unsigned(prefixSize), last);
    m_lastError = NoError;
    return result;
}

QByteArray SimpleCrypt::decryptBytes(const QByteArray &cypher)
{
    if (m_keyParts.isEmpty()) {
        warn("No key set.");
        m_lastError = NoKeyError;
        return QByteArray();
    }
    if (cypher.size() < 3)
        return QByteArray(); // the last error stays as it was
    const uchar *in = bytesOf(cypher);
    if (in[0] != s_version) {
        m_lastError = VersionError;
        warn("Invalid version or not a cyphertext.");
        return QByteArray();
    }

    const uchar flags = in[1];
    // Bits the format does not define mean damage, as does a missing
    // integrity value the caller insists on (the flags are not covered by
    // the integrity value, so one flipped bit can switch the check off).
    if ((flags & ~s_definedFlags) != 0 || !carriesIntegrity(flags, m_requiredIntegrity)) {
        m_lastError = IntegrityError;
        return QByteArray();
    }
    const uchar *payload = in + 2;
    const int payloadSize = cypher.size() - 2;
    // The checksum wins when both integrity flags are set.
    const int integritySize = (flags & ChecksumFlag) ? s_checksumSize
                              : (flags & HashFlag)   ? s_hashSize
                                                     : 0;
    const int prefixSize = 1 + integritySize;
    if (payloadSize < prefixSize) {
        m_lastError = IntegrityError;
        return QByteArray();
    }

    const quint64 key = keyStream();
    uchar prefix[1 + s_hashSize];
    CryptKernels::unscramble(payload, prefix, std::size_t(prefixSize), key, 0, 0);
    QByteArray body(payloadSize - prefixSize, Qt::Uninitialized);
    CryptKernels::unscramble(payload + prefixSize, reinterpret_cast<uchar *>(body.data()),
                             std::size_t(body.size()), key, unsigned(prefixSize),
                             payload[prefixSize - 1]);

    bool intact = true;
    if (flags & ChecksumFlag) {
        const quint16 stored = quint16(prefix[1] << 8 | prefix[2]);
        intact = stored == CryptKernels::checksum(body.constData(), std::size_t(body.size()));
    } else if (flags & HashFlag) {
        const QByteArray hash = QCryptographicHash::hash(body, QCryptographicHash::Sha1);
        intact = std::memcmp(prefix + 1, hash.constData(), s_hashSize) == 0;
    }
    if (!intact) {
        m_lastError = IntegrityError;
        return QByteArray();
    }

    if (flags & CompressedFlag) {
        QByteArray inflated;
        if (!CryptKernels::boundedUncompress(body, &inflated)) {
            m_lastError = IntegrityError; // damaged body: never an empty "success"
            return QByteArray();
        }
        body = inflated;
    }
    m_lastError = NoError;
    return body;
}

// Every public operation runs its work through unlessOutOfMemory: running
// out of memory (a large plaintext under a memory limit) fails the call with
// IntegrityError, the code of a cyphertext that cannot be made or read.

void SimpleCrypt::failForLackOfMemory()
{
    m_lastError = IntegrityError;
}

QByteArray SimpleCrypt::encryptToByteArray(QByteArray plaintext)
{
    return CryptKernels::unlessOutOfMemory([&] { return encryptBytes(plaintext); },
                                           [this] { failForLackOfMemory(); });
}

QByteArray SimpleCrypt::encryptToByteArray(const QString &plaintext)
{
    return CryptKernels::unlessOutOfMemory([&] { return encryptBytes(plaintext.toUtf8()); },
                                           [this] { failForLackOfMemory(); });
}

QString SimpleCrypt::encryptToString(const QString &plaintext)
{
    return CryptKernels::unlessOutOfMemory(
        [&] { return QString::fromLatin1(encryptBytes(plaintext.toUtf8()).toBase64()); },
        [this] { failForLackOfMemory(); });
}

QString SimpleCrypt::encryptToString(QByteArray plaintext)
{
    return CryptKernels::unlessOutOfMemory(
        [&] { return QString::fromLatin1(encryptBytes(plaintext).toBase64()); },
        [this] { failForLackOfMemory(); });
}

QByteArray SimpleCrypt::decryptToByteArray(QByteArray cypher)
{
    return CryptKernels::unlessOutOfMemory([&] { return decryptBytes(cypher); },
                                           [this] { failForLackOfMemory(); });
}

QByteArray SimpleCrypt::decryptToByteArray(const QString &cyphertext)
{
    return CryptKernels::unlessOutOfMemory(
        [&] { return decryptBytes(QByteArray::fromBase64(cyphertext.toLatin1())); },
        [this] { failForLackOfMemory(); });
}

QString SimpleCrypt::decryptToString(const QString &cyphertext)
{
    return CryptKernels::unlessOutOfMemory(
        [&] {
            return QString::fromUtf8(decryptBytes(QByteArray::fromBase64(cyphertext.toLatin1())));
        },
        [this] { failForLackOfMemory(); });
}

QString SimpleCrypt::decryptToString(QByteArray cypher)
{
    return CryptKernels::unlessOutOfMemory(
        [&] { return QString::fromUtf8(decryptBytes(cypher)); },
        [this] { failForLackOfMemory(); });
}
