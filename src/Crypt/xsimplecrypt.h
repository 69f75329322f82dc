#pragma once

// XSimpleCrypt: SimpleCrypt blobs that carry an encrypted header map and can
// carry their own data key.
//
// The object holds a master key besides the data key of its SimpleCrypt
// part. A blob is, in this order:
//     "encrypted"                          when prependIdentifier() is on
//     "<HEADER>" cyphertext "</HEADER>"    when the header map is not empty
//     the SimpleCrypt cyphertext of the data (made by the data cypher)
// The header cyphertext is a SimpleCrypt cyphertext of the header map's
// byte form (QDataStream version 12: the entry count, then the entries from
// the greatest key to the smallest), made with the master key,
// CompressAlways, HashIntegrity and a random byte. With storeKey the data
// key travels in the header as the entry "Key" (quint64), so that whoever
// has the master key can decrypt the data:
//
//     XSimpleCrypt writer(XSimpleCrypt::generateMasterKeyFromPassphrase("site"));
//     writer.setKey(QStringLiteral("document passphrase"));
//     writer.setHeader({{"Author", "lens lab"}});
//     const QByteArray blob = writer.encryptToByteArray(data, true);
//
//     XSimpleCrypt reader(XSimpleCrypt::generateMasterKeyFromPassphrase("site"));
//     QVariantMap header;
//     const QByteArray back = reader.decryptToByteArray(blob, &header);
//     if (reader.lastError() != XSimpleCrypt::NoError)
//         qWarning() << reader.lastErrorString();
//
// Master keys derived from a passphrase hash a fixed 64-character salt in
// front of it; the salt is part of the file format (see docs/crypt.md).
//
// A header block that cannot be decrypted or read is not an error: the
// header is empty and the data is decrypted with the object's own key. A
// header cyphertext whose flags are not exactly those it is written with
// (compressed, SHA-1) counts as unreadable. setRequiredIntegrity() applies
// to the data cyphertext.
//
// Header values: anything the toolkit's data stream can write and read back
// safely. A value it cannot write (a type without stream operators, such as
// QModelIndex), a GUI value other than a font, colour, key sequence, text
// length, matrix, transform, vector, quaternion or size policy, and lists or
// maps nested deeper than 256 levels make encryptToByteArray() refuse:
// IntegrityError, an empty result, a warning naming the entry, and the
// object's header unchanged. Reading a blob treats such values as an
// unreadable header block.
//
// Running out of memory gives IntegrityError (getHeader(): an empty map); no
// exception leaves the class.
//
// Only encryptToByteArray() and decryptToByteArray() make and read blobs and
// set lastError(). The encryptToString() and decryptToString() inherited
// from SimpleCrypt work on plain SimpleCrypt cyphertexts of the data key
// (no marker, no header block, no master key) and leave lastError() as it
// was; their outcome is in SimpleCrypt::errorCode().

#include <basicsdll_export.h>

#include "Crypt/simplecrypt.h"

#include <QByteArray>
#include <QString>
#include <QVariantMap>

/// A SimpleCrypt blob with an optional header map encrypted under a master
/// key, and keys made from passphrases (see the top of this header).
class BASICSDLL_EXPORT XSimpleCrypt : public SimpleCrypt
{
public:
    /// Codes 0 to 3 are the data cypher's (SimpleCrypt::Error).
    enum Error {
        NoError = 0, ///< "No Error"
        NoKeyError = 1, ///< "Encryption key has not set"
        VersionError = 2, ///< "Unknown version"
        IntegrityError = 3, ///< "Integrity failed"
        NoMasterKeyError = 4, ///< "Master key not set"
        NoDataError = 5 ///< "No data to encrypt/decrypt"
    };

    /// \a masterKey 0 means no master key. The data cypher has no key.
    explicit XSimpleCrypt(quint64 masterKey);

/// Sets the master key (0: none).
    void setMasterKey(quint64 masterKey) { m_masterKey = masterKey; }
/// The master key (0: none).
    quint64 masterKey() const { return m_masterKey; }

    /// The data key.
    void setKey(quint64 key);
    /// The data key from generateKeyFromPassphrase(); a result of 0 (no
    /// master key) leaves the data key as it is.
    void setKey(const QString &passphrase);

    /// SHA-1 over the master key (8 bytes, least significant first) and the
    /// passphrase in Latin-1; the digest's first 8 bytes, least significant
    /// first. 0 without master key; the master key for an empty passphrase.
    quint64 generateKeyFromPassphrase(const QString &passphrase) const;
    /// SHA-1 over the library's master key salt and the passphrase in
    /// Latin-1; the digest's first 8 bytes, least significant first.
    static quint64 generateMasterKeyFromPassphrase(const QString &passphrase);

/// Sets the header map the next blob carries.
    void setHeader(const QVariantMap &header) { m_header = header; }
/// Empties the header map.
    void clearHeader() { m_header.clear(); }
/// The header map.
    QVariantMap header() const { return m_header; }

    /// Whether blobs start with "encrypted" (on by default).
    void setPrependIdentifier(bool prepend) { m_prependIdentifier = prepend; }
/// See setPrependIdentifier().
    bool prependIdentifier() const { return m_prependIdentifier; }

    /// The blob of \a plaintext. With \a storeKey the header entry "Key" is
    /// set to the data key first (and stays in the object's header). A header
    /// value that could not be read back is refused (IntegrityError, see
    /// above); on any failure the object's header stays as it was.
    QByteArray encryptToByteArray(QByteArray plaintext, bool storeKey = false);
    /// The data of a blob (with or without marker and header block).
    /// \a header, when given, receives the blob's header map. A "Key" entry
    /// other than 0 becomes the data key and stays so.
    QByteArray decryptToByteArray(QByteArray cypher, QVariantMap *header = nullptr);
    /// The header map of a blob: empty when there is no block or it cannot
    /// be decrypted with the master key or read. With \a remove the block,
    /// tags included, is cut out of \a data (also when it could not be read).
    QVariantMap getHeader(QByteArray &data, bool remove);

    /// The code of the last encryption or decryption (Error).
    int lastError() const { return m_error; }
/// The English text of lastError().
    QString lastErrorString() const { return errorString(m_error); }
    /// The English text of an error code; "Unknown error" for other codes.
    static QString errorString(int code);

    static const char m_headerStartTag[9]; ///< "<HEADER>", written without the zero
    static const char m_headerEndTag[10]; ///< "</HEADER>", written without the zero
    static const char m_identifier[10]; ///< "encrypted", written without the zero

private:
    QByteArray encryptBlob(const QByteArray &plaintext, bool storeKey);
    QByteArray decryptBlob(QByteArray cypher, QVariantMap *header);
    QVariantMap readHeader(QByteArray &data, bool remove);

    quint64 m_masterKey = 0;
    QVariantMap m_header;
    bool m_prependIdentifier = true;
    int m_error = NoError;
};
