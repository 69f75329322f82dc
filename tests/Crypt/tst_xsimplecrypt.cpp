// XSimpleCrypt: blob layout, header blocks and the stored key, passphrase
// and master key derivation, error codes and texts, and damaged blobs.

#include <Crypt/xsimplecrypt.h>

#include "testsupport/memorylimit.h"
#include "testsupport/messagecapture.h"

#include <QDataStream>
#include <QModelIndex>
#include <QtTest>

#include <new>

// An application type without stream operators, and one whose reader fails
// by running out of memory.
struct Unstreamable
{
    int value = 0;
};
Q_DECLARE_METATYPE(Unstreamable)

struct Greedy
{
    int value = 0;
};
Q_DECLARE_METATYPE(Greedy)

QDataStream &operator<<(QDataStream &stream, const Greedy &greedy)
{
    return stream << qint32(greedy.value);
}

QDataStream &operator>>(QDataStream &, Greedy &)
{
    throw std::bad_alloc();
}

namespace {

constexpr quint64 s_master = Q_UINT64_C(0x57EAFE7E9F12DC80);
constexpr quint64 s_key = Q_UINT64_C(0x0123456789ABCDEF);

const QByteArray s_data("Lens data: R1 = 25.4 mm, R2 = -31.2 mm, d = 4 mm");

QByteArray dataPart(const QByteArray &blob)
{
    const int end = blob.indexOf(XSimpleCrypt::m_headerEndTag);
    return end < 0 ? blob : blob.mid(end + 9);
}

// A header block whose content is \a headerBytes, made like the library's.
QByteArray headerBlock(const QByteArray &headerBytes, quint64 master = s_master)
{
    SimpleCrypt cypher(master);
    cypher.setCompressionPolicy(SimpleCrypt::CompressAlways);
    cypher.setIntegrityMode(SimpleCrypt::HashIntegrity);
    return "<HEADER>" + cypher.encryptToByteArray(headerBytes) + "</HEADER>";
}

} // namespace

class tst_XSimpleCrypt : public QObject
{
    Q_OBJECT

private slots:
    void defaultsConstantsAndErrorTexts();
    void blobLayoutWithoutHeader();
    void headerBlockFormat();
    void storedKeyTravelsWithTheBlob();
    void wrongMasterKey();
    void passphrases();
    void getHeaderCutsTheBlock();
    void emptyInputAndMissingMasterKey();
    void damagedBlobs();
    void headerFlagsAreThoseOfHeaders();
    void headerValuesThatCannotBeReadBackAreRefused();
    void headerReaderRunningOutOfMemory();
    void blobsTooLargeForTheMemory();
};

void tst_XSimpleCrypt::defaultsConstantsAndErrorTexts()
{
    XSimpleCrypt crypt(s_master);
    QCOMPARE(crypt.masterKey(), s_master);
    QVERIFY(!crypt.keyIsSet());
    QVERIFY(crypt.header().isEmpty());
    QVERIFY(crypt.prependIdentifier());
    QCOMPARE(crypt.lastError(), 0);
    QCOMPARE(crypt.compressionPolicy(), SimpleCrypt::CompressIfSmaller);
    QCOMPARE(crypt.integrityMode(), SimpleCrypt::ChecksumIntegrity);
    QVERIFY(crypt.randomByte());

    QCOMPARE(QByteArray(XSimpleCrypt::m_headerStartTag), QByteArray("<HEADER>"));
    QCOMPARE(QByteArray(XSimpleCrypt::m_headerEndTag), QByteArray("</HEADER>"));
    QCOMPARE(QByteArray(XSimpleCrypt::m_identifier), QByteArray("encrypted"));

    const QStringList texts{QStringLiteral("No Error"), QStringLiteral("Encryption key has not set"),
                            QStringLiteral("Unknown version"), QStringLiteral("Integrity failed"),
                            QStringLiteral("Master key not set"),
                            QStringLiteral("No data to encrypt/decrypt")};
    for (int code = 0; code < texts.size(); ++code)
        QCOMPARE(XSimpleCrypt::errorString(code), texts[code]);
    QCOMPARE(XSimpleCrypt::errorString(6), QStringLiteral("Unknown error"));
    QCOMPARE(XSimpleCrypt::errorString(-1), QStringLiteral("Unknown error"));
    QCOMPARE(crypt.lastErrorString(), QStringLiteral("No Error"));
}

void tst_XSimpleCrypt::blobLayoutWithoutHeader()
{
    XSimpleCrypt crypt(s_master);
    crypt.setKey(s_key);
    crypt.setRandomByte(false);
    SimpleCrypt plain(s_key);
    plain.setRandomByte(false);

    const QByteArray blob = crypt.encryptToByteArray(s_data);
    QCOMPARE(crypt.lastError(), 0);
    QCOMPARE(blob, "encrypted" + plain.encryptToByteArray(s_data));
    crypt.setPrependIdentifier(false);
    QCOMPARE(crypt.encryptToByteArray(s_data), plain.encryptToByteArray(s_data));

    // Decryption takes a plain cyphertext too, marker or not.
    XSimpleCrypt reader(s_master);
    reader.setKey(s_key);
    QCOMPARE(reader.decryptToByteArray(plain.encryptToByteArray(s_data)), s_data);
    QCOMPARE(reader.decryptToByteArray(blob), s_data);
    QCOMPARE(reader.lastError(), 0);
}

void tst_XSimpleCrypt::headerBlockFormat()
{
    XSimpleCrypt crypt(s_master);
    crypt.setKey(s_key);
    QVariantMap header{{QStringLiteral("Author"), QStringLiteral("Zo\u00eb")},
                       {QStringLiteral("Count"), 3},
                       {QStringLiteral("Tags"), QStringList{QStringLiteral("a"), QStringLiteral("b")}}};
    crypt.setHeader(header);
    const QByteArray blob = crypt.encryptToByteArray(s_data);
    QVERIFY(blob.startsWith("encrypted<HEADER>"));
    const int end = blob.indexOf("</HEADER>");
    QVERIFY(end > 0);

    // The block is a cyphertext under the master key: compressed and hashed.
    const QByteArray block = blob.mid(17, end - 17);
    QCOMPARE(int(block[1]), 1 | 4);
    SimpleCrypt master(s_master);
    const QByteArray bytes = master.decryptToByteArray(block);
    QCOMPARE(master.errorCode(), SimpleCrypt::NoError);

    // Version 12 data stream, greatest key first.
    QByteArray expected;
    {
        QDataStream stream(&expected, QIODevice::WriteOnly);
        stream.setVersion(12);
        stream << quint32(3);
        stream << QStringLiteral("Tags") << header.value(QStringLiteral("Tags"));
        stream << QStringLiteral("Count") << header.value(QStringLiteral("Count"));
        stream << QStringLiteral("Author") << header.value(QStringLiteral("Author"));
    }
    QCOMPARE(bytes.toHex(), expected.toHex());

    // The data part is an ordinary cyphertext under the data key.
    SimpleCrypt data(s_key);
    QCOMPARE(data.decryptToByteArray(dataPart(blob)), s_data);

    XSimpleCrypt reader(s_master);
    reader.setKey(s_key);
    QVariantMap read;
    QCOMPARE(reader.decryptToByteArray(blob, &read), s_data);
    QCOMPARE(read, header);
    QVERIFY(reader.header().isEmpty()); // decryption never changes the object's header
    QCOMPARE(crypt.header(), header);
    crypt.clearHeader();
    QVERIFY(crypt.header().isEmpty());
    QVERIFY(!crypt.encryptToByteArray(s_data).contains("<HEADER>"));
}

void tst_XSimpleCrypt::storedKeyTravelsWithTheBlob()
{
    XSimpleCrypt writer(s_master);
    writer.setKey(s_key);
    const QByteArray blob = writer.encryptToByteArray(s_data, true);
    QCOMPARE(writer.header(), (QVariantMap{{QStringLiteral("Key"), QVariant(s_key)}}));
    QCOMPARE(writer.header().value(QStringLiteral("Key")).type(), QVariant::ULongLong);

    XSimpleCrypt reader(s_master);
    QVariantMap header;
    QCOMPARE(reader.decryptToByteArray(blob, &header), s_data);
    QCOMPARE(reader.lastError(), 0);
    QCOMPARE(header.value(QStringLiteral("Key")).toULongLong(), s_key);
    QVERIFY(reader.keyIsSet());
    QCOMPARE(reader.key(), s_key); // the stored key stays

    // The stored key replaces the reader's own one; a stored 0 does not.
    XSimpleCrypt other(s_master);
    other.setKey(Q_UINT64_C(77));
    QCOMPARE(other.decryptToByteArray(blob), s_data);
    QCOMPARE(other.key(), s_key);
    XSimpleCrypt zeroWriter(s_master);
    zeroWriter.setKey(0);
    const QByteArray zeroBlob = zeroWriter.encryptToByteArray(s_data, true);
    XSimpleCrypt zeroReader(s_master);
    zeroReader.setKey(Q_UINT64_C(5));
    QVERIFY(zeroReader.decryptToByteArray(zeroBlob).isEmpty());
    QCOMPARE(zeroReader.key(), quint64(5));
    QCOMPARE(zeroReader.lastError(), int(XSimpleCrypt::IntegrityError));
}

void tst_XSimpleCrypt::wrongMasterKey()
{
    XSimpleCrypt writer(s_master);
    writer.setKey(s_key);
    writer.setHeader({{QStringLiteral("A"), 1}});
    const QByteArray blob = writer.encryptToByteArray(s_data, true);

    MessageCapture capture;
    XSimpleCrypt stranger(s_master + 1);
    QVariantMap header{{QStringLiteral("stale"), 1}};
    QVERIFY(stranger.decryptToByteArray(blob, &header).isEmpty());
    QVERIFY(header.isEmpty());
    QCOMPARE(stranger.lastError(), int(XSimpleCrypt::NoKeyError));
    QCOMPARE(stranger.lastErrorString(), QStringLiteral("Encryption key has not set"));
    QVERIFY(capture.texts().contains(QStringLiteral("No key set. ")));

    stranger.setKey(s_key + 1);
    QVERIFY(stranger.decryptToByteArray(blob).isEmpty());
    QCOMPARE(stranger.lastError(), int(XSimpleCrypt::IntegrityError));
    QCOMPARE(stranger.lastErrorString(), QStringLiteral("Integrity failed"));
    // With the right data key the data is readable without the header.
    stranger.setKey(s_key);
    QCOMPARE(stranger.decryptToByteArray(blob), s_data);
}

void tst_XSimpleCrypt::passphrases()
{
    // Known answers from the independent implementation in crypt_interop.py;
    // the master key pins the library's salt.
    QCOMPARE(XSimpleCrypt::generateMasterKeyFromPassphrase(QStringLiteral("Optik")), s_master);
    XSimpleCrypt crypt(s_key);
    QCOMPARE(crypt.generateKeyFromPassphrase(QStringLiteral("Linse")),
             Q_UINT64_C(0x6fa964c9bcc1efd4));
    // Beyond Latin-1 a character counts as '?'.
    QCOMPARE(crypt.generateKeyFromPassphrase(QStringLiteral("\u00e4\u20ac")),
             Q_UINT64_C(0xd4ee6159eb0b6ce2));
    QCOMPARE(crypt.generateKeyFromPassphrase(QStringLiteral("\u00e4?")),
             Q_UINT64_C(0xd4ee6159eb0b6ce2));
    QCOMPARE(crypt.generateKeyFromPassphrase(QString()), s_key);

    crypt.setKey(QStringLiteral("Linse"));
    QCOMPARE(crypt.key(), Q_UINT64_C(0x6fa964c9bcc1efd4));

    XSimpleCrypt noMaster(0);
    QCOMPARE(noMaster.generateKeyFromPassphrase(QStringLiteral("Linse")), quint64(0));
    noMaster.setKey(QStringLiteral("Linse"));
    QVERIFY(!noMaster.keyIsSet());
    noMaster.setKey(Q_UINT64_C(9));
    noMaster.setKey(QStringLiteral("anything"));
    QCOMPARE(noMaster.key(), quint64(9));
}

void tst_XSimpleCrypt::getHeaderCutsTheBlock()
{
    XSimpleCrypt crypt(s_master);
    crypt.setKey(s_key);
    crypt.setHeader({{QStringLiteral("Name"), QStringLiteral("doublet")}});
    const QByteArray blob = crypt.encryptToByteArray(s_data);

    QByteArray kept = blob;
    QCOMPARE(crypt.getHeader(kept, false).value(QStringLiteral("Name")).toString(),
             QStringLiteral("doublet"));
    QCOMPARE(kept, blob);
    QByteArray cut = blob;
    QCOMPARE(crypt.getHeader(cut, true).size(), 1);
    QCOMPARE(cut, "encrypted" + dataPart(blob));
    QByteArray without = dataPart(blob);
    QVERIFY(crypt.getHeader(without, true).isEmpty());
    QCOMPARE(without, dataPart(blob));
    QByteArray empty;
    QVERIFY(crypt.getHeader(empty, true).isEmpty());

    // A block that cannot be read is cut out all the same.
    XSimpleCrypt stranger(s_master ^ 1);
    QByteArray foreign = blob;
    QVERIFY(stranger.getHeader(foreign, true).isEmpty());
    QCOMPARE(foreign, "encrypted" + dataPart(blob));
    // End tag ahead of the start tag: no block.
    QByteArray reversed = "</HEADER>" + dataPart(blob) + "<HEADER>";
    const QByteArray before = reversed;
    QVERIFY(crypt.getHeader(reversed, true).isEmpty());
    QCOMPARE(reversed, before);
}

void tst_XSimpleCrypt::emptyInputAndMissingMasterKey()
{
    XSimpleCrypt noMaster(0);
    noMaster.setKey(s_key);
    QVERIFY(noMaster.encryptToByteArray(QByteArray()).isEmpty());
    QCOMPARE(noMaster.lastError(), int(XSimpleCrypt::NoDataError));
    QCOMPARE(noMaster.lastErrorString(), QStringLiteral("No data to encrypt/decrypt"));
    QVERIFY(noMaster.decryptToByteArray(QByteArray()).isEmpty());
    QCOMPARE(noMaster.lastError(), int(XSimpleCrypt::NoDataError));
    QVERIFY(noMaster.encryptToByteArray(s_data).isEmpty());
    QCOMPARE(noMaster.lastError(), int(XSimpleCrypt::NoMasterKeyError));
    QCOMPARE(noMaster.lastErrorString(), QStringLiteral("Master key not set"));
    QVERIFY(noMaster.decryptToByteArray(QByteArray("encrypted")).isEmpty());
    QCOMPARE(noMaster.lastError(), int(XSimpleCrypt::NoMasterKeyError));

    XSimpleCrypt noKey(s_master);
    MessageCapture capture;
    QVERIFY(noKey.encryptToByteArray(s_data).isEmpty());
    QCOMPARE(noKey.lastError(), int(XSimpleCrypt::NoKeyError));
    QCOMPARE(capture.texts(), QStringList{QStringLiteral("No key set. ")});
}

void tst_XSimpleCrypt::damagedBlobs()
{
    XSimpleCrypt writer(s_master);
    writer.setKey(s_key);
    writer.setHeader({{QStringLiteral("A"), QStringLiteral("b")}});
    const QByteArray blob = writer.encryptToByteArray(s_data);
    XSimpleCrypt reader(s_master);
    reader.setKey(s_key);
    MessageCapture capture;

    // A damaged header block is no error: empty header, data decrypted.
    for (int offset : {17 + 0, 17 + 1, 17 + 2, 17 + 10, blob.indexOf("</HEADER>") - 1}) {
        QByteArray damaged = blob;
        damaged[offset] = char(damaged[offset] ^ 0x04);
        QVariantMap header{{QStringLiteral("stale"), 1}};
        QCOMPARE(reader.decryptToByteArray(damaged, &header), s_data);
        QVERIFY(header.isEmpty());
        QCOMPARE(reader.lastError(), 0);
    }
    // A header block whose content is no map, or nests too deeply.
    QByteArray deep;
    {
        QDataStream stream(&deep, QIODevice::WriteOnly);
        stream.setVersion(12);
        stream << quint32(1) << QStringLiteral("deep");
        for (int i = 0; i < 100000; ++i)
            stream << quint32(QVariant::List) << qint8(0) << quint32(1);
    }
    for (const QByteArray &content : {QByteArray("\x00\x00\x00\x05", 4), QByteArray("xy"), deep}) {
        QVariantMap header{{QStringLiteral("stale"), 1}};
        const QByteArray forged = "encrypted" + headerBlock(content) + dataPart(blob);
        QCOMPARE(reader.decryptToByteArray(forged, &header), s_data);
        QVERIFY(header.isEmpty());
    }

    // Damage in the data part: the data cypher's error.
    QByteArray data = blob;
    data[data.size() - 1] = char(data[data.size() - 1] ^ 0x80);
    QVERIFY(reader.decryptToByteArray(data).isEmpty());
    QCOMPARE(reader.lastError(), int(XSimpleCrypt::IntegrityError));
    QByteArray version = blob;
    version[blob.indexOf("</HEADER>") + 9] = 4;
    QVERIFY(reader.decryptToByteArray(version).isEmpty());
    QCOMPARE(reader.lastError(), int(XSimpleCrypt::VersionError));
    QCOMPARE(reader.lastErrorString(), QStringLiteral("Unknown version"));
    // A missing end tag leaves the block in front of the data: no cyphertext.
    QByteArray noEnd = blob;
    noEnd.replace("</HEADER>", "</HEADEX>");
    QVERIFY(reader.decryptToByteArray(noEnd).isEmpty());
    QCOMPARE(reader.lastError(), int(XSimpleCrypt::VersionError));

    // Blobs cut short never pass as decrypted, whatever the last error was.
    QCOMPARE(reader.decryptToByteArray(blob), s_data);
    QVERIFY(reader.decryptToByteArray(QByteArray("encrypted")).isEmpty());
    QCOMPARE(reader.lastError(), int(XSimpleCrypt::NoDataError));
    QVERIFY(reader.decryptToByteArray(blob.left(blob.indexOf("</HEADER>") + 9)).isEmpty());
    QCOMPARE(reader.lastError(), int(XSimpleCrypt::NoDataError));
    QCOMPARE(reader.decryptToByteArray(blob), s_data);
    QVERIFY(reader.decryptToByteArray(blob.left(blob.indexOf("</HEADER>") + 11)).isEmpty());
    QCOMPARE(reader.lastError(), int(XSimpleCrypt::VersionError));
    for (int size = 1; size < blob.size(); ++size)
        QVERIFY(reader.decryptToByteArray(blob.left(size)).isEmpty());
}

void tst_XSimpleCrypt::headerFlagsAreThoseOfHeaders()
{
    XSimpleCrypt writer(s_master);
    writer.setKey(s_key);
    writer.setIntegrityMode(SimpleCrypt::NoIntegrity);
    const QByteArray blob = writer.encryptToByteArray(s_data, true);
    const int flags = 9 + 8 + 1; // after "encrypted<HEADER>" and the version
    QCOMPARE(int(blob.at(flags)), 0x05);
    XSimpleCrypt reader(s_master);
    QCOMPARE(reader.decryptToByteArray(blob), s_data);

    // Any other flags: the header (and the key in it) cannot be read, also
    // when the block is a well-formed cyphertext made uncompressed.
    const int start = blob.indexOf("<HEADER>") + 8;
    const QByteArray block = blob.mid(start, blob.indexOf("</HEADER>") - start);
    SimpleCrypt headerCypher(s_master);
    headerCypher.setCompressionPolicy(SimpleCrypt::CompressNever);
    headerCypher.setIntegrityMode(SimpleCrypt::HashIntegrity);
    QList<QByteArray> forged{QByteArray(blob).replace(
        block, headerCypher.encryptToByteArray(SimpleCrypt(s_master).decryptToByteArray(block)))};
    for (int bit = 0; bit < 8; ++bit)
        forged << QByteArray(blob).replace(flags, 1, QByteArray(1, char(0x05 ^ (1 << bit))));
    for (const QByteArray &damaged : forged) {
        XSimpleCrypt fresh(s_master);
        QVERIFY(fresh.decryptToByteArray(damaged).isEmpty());
        QCOMPARE(fresh.lastError(), int(XSimpleCrypt::NoKeyError));
    }

    // The data part without integrity value, for a reader that demands one.
    reader.setRequiredIntegrity(SimpleCrypt::ChecksumIntegrity);
    QVERIFY(reader.decryptToByteArray(blob).isEmpty());
    QCOMPARE(reader.lastErrorString(), QStringLiteral("Integrity failed"));
}

void tst_XSimpleCrypt::headerValuesThatCannotBeReadBackAreRefused()
{
    qRegisterMetaType<Unstreamable>();
    XSimpleCrypt writer(s_master);
    writer.setKey(s_key);
    const QVariantMap good{{QStringLiteral("Author"), QStringLiteral("lab")}};
    QVERIFY(!writer.encryptToByteArray(s_data).isEmpty());

    // Written as a bare type id, each of these would make the whole header,
    // and with it the stored key, unreadable.
    const QVariantList nested{1, QVariantMap{{QStringLiteral("index"), QModelIndex()}}};
    const QVector<QVariant> unreadable{
        QVariant::fromValue(QModelIndex()), QVariant::fromValue(Unstreamable{3}),
        QVariant(nested),
        QVariantHash{{QStringLiteral("h"), QVariant::fromValue(Unstreamable{})}}};
    for (const QVariant &value : unreadable) {
        QVariantMap header = good;
        header.insert(QStringLiteral("Bad"), value);
        writer.setHeader(header);
        MessageCapture capture;
        QVERIFY(writer.encryptToByteArray(s_data, true).isEmpty());
        QCOMPARE(writer.lastError(), int(XSimpleCrypt::IntegrityError));
        QCOMPARE(writer.lastErrorString(), QStringLiteral("Integrity failed"));
        QCOMPARE(capture.texts(),
                 QStringList{QStringLiteral(
                     "Header entry \"Bad\" cannot be stored: its value cannot be read back. ")});
        QCOMPARE(capture.messages().first().type, QtWarningMsg);
        QCOMPARE(writer.header(), header); // no "Key" added by the refused call
    }

    // Nesting as deep as the reader takes is fine, one level more is not.
    const auto nestedLists = [](int depth) {
        QVariant value(7);
        for (int i = 0; i < depth; ++i)
            value = QVariantList{value};
        return value;
    };
    XSimpleCrypt reader(s_master);
    reader.setKey(s_key);
    writer.setHeader({{QStringLiteral("n"), nestedLists(256)}});
    const QByteArray deepest = writer.encryptToByteArray(s_data);
    QVERIFY(!deepest.isEmpty());
    QVariantMap back;
    QCOMPARE(reader.decryptToByteArray(deepest, &back), s_data);
    QCOMPARE(back.size(), 1);
    writer.setHeader({{QStringLiteral("n"), nestedLists(257)}});
    {
        MessageCapture capture;
        QVERIFY(writer.encryptToByteArray(s_data).isEmpty());
        QCOMPARE(writer.lastError(), int(XSimpleCrypt::IntegrityError));
    }

    // Invalid values, string and byte array lists and variants in variants
    // are written and read back as they were.
    const QVariant inner(QStringList{QStringLiteral("i")});
    const QVariantMap mixed{{QStringLiteral("invalid"), QVariant()},
                            {QStringLiteral("strings"), QStringList{QStringLiteral("a")}},
                            {QStringLiteral("bytes"), QVariant::fromValue(QByteArrayList{"b"})},
                            {QStringLiteral("variant"), QVariant(QMetaType::QVariant, &inner)}};
    writer.setHeader(mixed);
    const QByteArray blob = writer.encryptToByteArray(s_data, true);
    QVERIFY(!blob.isEmpty());
    QCOMPARE(writer.lastError(), 0);
    XSimpleCrypt fresh(s_master);
    QCOMPARE(fresh.decryptToByteArray(blob, &back), s_data); // the stored key works
    QCOMPARE(back.take(QStringLiteral("Key")).toULongLong(), s_key);
    QCOMPARE(back, mixed);
}

void tst_XSimpleCrypt::headerReaderRunningOutOfMemory()
{
    // A reader of an application type that cannot get its memory: the header
    // is unreadable, the data still decrypts.
    qRegisterMetaTypeStreamOperators<Greedy>("Greedy");
    XSimpleCrypt writer(s_master);
    writer.setKey(s_key);
    writer.setHeader({{QStringLiteral("g"), QVariant::fromValue(Greedy{5})},
                      {QStringLiteral("s"), QStringLiteral("text")}});
    const QByteArray blob = writer.encryptToByteArray(s_data);
    QVERIFY(!blob.isEmpty());
    XSimpleCrypt reader(s_master);
    reader.setKey(s_key);
    QVariantMap header{{QStringLiteral("stale"), 1}};
    QCOMPARE(reader.decryptToByteArray(blob, &header), s_data);
    QVERIFY(header.isEmpty());
    QCOMPARE(reader.lastError(), 0);
}

void tst_XSimpleCrypt::blobsTooLargeForTheMemory()
{
    if (!MemoryLimit::supported())
        QSKIP("a sanitizer build cannot run under an address-space limit");
    const QByteArray plaintext(96 << 20, 'r');
    QCOMPARE(MemoryLimit::run(64 << 20, [&] {
                 XSimpleCrypt crypt(s_master);
                 crypt.setKey(s_key);
                 crypt.setCompressionPolicy(SimpleCrypt::CompressNever);
                 return crypt.encryptToByteArray(plaintext, true).isEmpty()
                        && crypt.lastError() == XSimpleCrypt::IntegrityError && crypt.header().isEmpty();
             }),
             MemoryLimit::Passed);
}

QTEST_GUILESS_MAIN(tst_XSimpleCrypt)
#include "tst_xsimplecrypt.moc"
