#include "Crypt/xsimplecrypt.h"

#include "Crypt/headerstream_p.h"
#include "Crypt/outofmemory_p.h"
#include "Output/linestream.h"

#include <QCryptographicHash>
#include <QtEndian>

const char XSimpleCrypt::m_headerStartTag[9] = "<HEADER>";
const char XSimpleCrypt::m_headerEndTag[10] = "</HEADER>";
const char XSimpleCrypt::m_identifier[10] = "encrypted";

namespace {

constexpr int s_startTagSize = sizeof XSimpleCrypt::m_headerStartTag - 1;
constexpr int s_endTagSize = sizeof XSimpleCrypt::m_headerEndTag - 1;
constexpr int s_identifierSize = sizeof XSimpleCrypt::m_identifier - 1;

// Hashed in front of a passphrase to make a master key. Part of the file
// format: another salt gives other master keys, and existing blobs could no
// longer be opened with their passphrase.
constexpr char s_masterKeySalt[] = "6lov4ft265kcspiqpbk1259ufbsi52cxn9rblw3mjuefcbtrzy4w035ssbmwj0c8";
static_assert(sizeof s_masterKeySalt - 1 == 64, "the salt has 64 characters");

const QLatin1String s_keyEntry("Key");

// Header cyphertexts are always made compressed and with a SHA-1, so a
// block with other flags is damaged (a cleared hash flag would otherwise
// let a damaged header, or the hash bytes, be read as the map).
constexpr char s_headerVersion = 3;
constexpr uchar s_headerFlags = 0x01 | 0x04;

quint64 firstEightBytes(const QByteArray &digest)
{
    return qFromLittleEndian<quint64>(digest.constData());
}

} // namespace

XSimpleCrypt::XSimpleCrypt(quint64 masterKey)
    : m_masterKey(masterKey)
{
}

void XSimpleCrypt::setKey(quint64 key)
{
    SimpleCrypt::setKey(key);
}

void XSimpleCrypt::setKey(const QString &passphrase)
{
    const quint64 key = generateKeyFromPassphrase(passphrase);
    if (key != 0)
        SimpleCrypt::setKey(key);
}

quint64 XSimpleCrypt::generateKeyFromPassphrase(const QString &passphrase) const
{
    if (m_masterKey == 0)
        return 0;
    if (passphrase.isEmpty())
        return m_masterKey;
    uchar master[8];
    qToLittleEndian(m_masterKey, master);
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(reinterpret_cast<const char *>(master), sizeof master);
    hash.addData(passphrase.toLatin1()); // characters beyond Latin-1 become '?'
    return firstEightBytes(hash.result());
}

quint64 XSimpleCrypt::generateMasterKeyFromPassphrase(const QString &passphrase)
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(s_masterKeySalt, sizeof s_masterKeySalt - 1);
    hash.addData(passphrase.toLatin1());
    return firstEightBytes(hash.result());
}

QByteArray XSimpleCrypt::encryptBlob(const QByteArray &plaintext, bool storeKey)
{
    if (plaintext.isEmpty()) {
        m_error = NoDataError;
        return QByteArray();
    }
    if (m_masterKey == 0) {
        m_error = NoMasterKeyError;
        return QByteArray();
    }
    const QByteArray data = SimpleCrypt::encryptToByteArray(plaintext);
    m_error = SimpleCrypt::errorCode();
    if (m_error != NoError)
        return QByteArray();

    // A header that could not be read back would lose its entries, the
    // stored data key among them, while the blob looked fine: refuse it.
    QVariantMap header = m_header;
    if (storeKey)
        header.insert(s_keyEntry, QVariant(quint64(key())));
    QByteArray headerBlock;
    if (!header.isEmpty()) {
        QString badKey;
        if (!CryptKernels::isWritableHeaderMap(header, &badKey)) {
            Output::LineStream(QtWarningMsg)
                << "Header entry" << badKey << "cannot be stored: its value cannot be read back.";
            m_error = IntegrityError;
            return QByteArray();
        }
        SimpleCrypt headerCypher(m_masterKey);
        headerCypher.setCompressionPolicy(CompressAlways);
        headerCypher.setIntegrityMode(HashIntegrity);
        headerCypher.setRandomByte(true);
        headerBlock = headerCypher.encryptToByteArray(CryptKernels::writeHeaderMap(header));
        if (headerCypher.errorCode() != SimpleCrypt::NoError) {
            m_error = headerCypher.errorCode();
            return QByteArray();
        }
    }
    if (storeKey)
        m_header = header;

    QByteArray result;
    if (m_prependIdentifier)
        result.append(m_identifier, s_identifierSize);
    if (!headerBlock.isEmpty()) {
        result.append(m_headerStartTag, s_startTagSize);
        result.append(headerBlock);
        result.append(m_headerEndTag, s_endTagSize);
    }
    result.append(data);
    return result;
}

QVariantMap XSimpleCrypt::readHeader(QByteArray &data, bool remove)
{
    if (data.isEmpty())
        return QVariantMap();
    const int start = data.indexOf(m_headerStartTag);
    const int end = data.indexOf(m_headerEndTag);
    if (start < 0 || end < start + s_startTagSize)
        return QVariantMap();

    const QByteArray block = data.mid(start + s_startTagSize, end - start - s_startTagSize);
    QVariantMap header;
    const bool flagsAsWritten = block.size() < 3 || block.at(0) != s_headerVersion
                             || uchar(block.at(1)) == s_headerFlags;
    if (flagsAsWritten) {
        SimpleCrypt headerCypher(m_masterKey);
        const QByteArray bytes = headerCypher.decryptToByteArray(block);
        if (headerCypher.errorCode() == SimpleCrypt::NoError && !bytes.isEmpty())
            CryptKernels::readHeaderMap(bytes, &header);
    }
    if (remove)
        data.remove(start, end + s_endTagSize - start);
    return header;
}

QByteArray XSimpleCrypt::decryptBlob(QByteArray cypher, QVariantMap *header)
{
    if (cypher.isEmpty()) {
        m_error = NoDataError;
        return QByteArray();
    }
    if (m_masterKey == 0) {
        m_error = NoMasterKeyError;
        return QByteArray();
    }
    if (cypher.startsWith(m_identifier))
        cypher.remove(0, s_identifierSize);

    const QVariantMap map = readHeader(cypher, true);
    if (header)
        *header = map;
    const auto storedKey = map.constFind(s_keyEntry);
    if (storedKey != map.constEnd() && storedKey->toULongLong() != 0)
        SimpleCrypt::setKey(storedKey->toULongLong());

    // SimpleCrypt leaves its last error alone for inputs shorter than a
    // cyphertext; a blob without its data part must not pass as decrypted.
    if (keyIsSet() && cypher.size() < 3) {
        m_error = cypher.isEmpty() ? NoDataError : VersionError;
        return QByteArray();
    }
    const QByteArray plaintext = SimpleCrypt::decryptToByteArray(cypher);
    m_error = SimpleCrypt::errorCode();
    return m_error == NoError ? plaintext : QByteArray();
}

// Running out of memory (a large plaintext under a memory limit) fails the
// call with IntegrityError instead of throwing out of the library.

QByteArray XSimpleCrypt::encryptToByteArray(QByteArray plaintext, bool storeKey)
{
    return CryptKernels::unlessOutOfMemory([&] { return encryptBlob(plaintext, storeKey); },
                                           [this] { m_error = IntegrityError; });
}

QByteArray XSimpleCrypt::decryptToByteArray(QByteArray cypher, QVariantMap *header)
{
    return CryptKernels::unlessOutOfMemory([&] { return decryptBlob(cypher, header); },
                                           [this] { m_error = IntegrityError; });
}

QVariantMap XSimpleCrypt::getHeader(QByteArray &data, bool remove)
{
    return CryptKernels::unlessOutOfMemory([&] { return readHeader(data, remove); }, [] {});
}

QString XSimpleCrypt::errorString(int code)
{
    switch (code) {
    case NoError:
        return QStringLiteral("No Error");
    case NoKeyError:
        return QStringLiteral("Encryption key has not set");
    case VersionError:
        return QStringLiteral("Unknown version");
    case IntegrityError:
        return QStringLiteral("Integrity failed");
    case NoMasterKeyError:
        return QStringLiteral("Master key not set");
    case NoDataError:
        return QStringLiteral("No data to encrypt/decrypt");
    default:
        return QStringLiteral("Unknown error");
    }
}
