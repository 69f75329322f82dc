// SimpleCrypt: the exact cyphertext bytes, keys, policies and modes, the
// random byte and its seeding, the text form, and every way a cyphertext
// can be wrong.

#include <Crypt/simplecrypt.h>

#include "testsupport/memorylimit.h"
#include "testsupport/messagecapture.h"
#include "testsupport/randombytes.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QRandomGenerator>
#include <QtEndian>
#include <QtTest>

#include <limits>
#include <new>

namespace {

constexpr quint64 s_key = Q_UINT64_C(0x0123456789ABCDEF);

SimpleCrypt plainCypher(quint64 key = s_key)
{
    SimpleCrypt crypt(key);
    crypt.setCompressionPolicy(SimpleCrypt::CompressNever);
    crypt.setIntegrityMode(SimpleCrypt::NoIntegrity);
    crypt.setRandomByte(false);
    return crypt;
}

// Scrambles a hand-made payload with the format's chain, to forge
// cyphertexts with any flags.
QByteArray forge(uchar flags, const QByteArray &payload, quint64 key = s_key)
{
    QByteArray result(2, '\0');
    result[0] = 3;
    result[1] = char(flags);
    uchar last = 0;
    for (int i = 0; i < payload.size(); ++i) {
        last = uchar(payload[i]) ^ uchar(key >> (8 * (i % 8))) ^ last;
        result.append(char(last));
    }
    return result;
}

QByteArray checksumBytes(const QByteArray &body)
{
    const quint16 sum = qChecksum(body.constData(), uint(body.size()));
    return QByteArray(1, char(sum >> 8)) + char(sum & 0xFF);
}

QByteArray repetitive()
{
    QByteArray data;
    for (int i = 0; i < 400; ++i)
        data += "radius 12.5 mm, thickness 3 mm; ";
    return data;
}

} // namespace

class tst_SimpleCrypt : public QObject
{
    Q_OBJECT

private slots:
    void defaultsAndKeys();
    void knownCyphertexts();
    void noKeyIsRefusedWithWarning();
    void emptyPlaintextGivesThreeBytes();
    void compressionPolicies();
    void integrityModes();
    void randomByteAndSeeding();
    void textFormAndUnicode();
    void largePayloadRoundTrip();
    void everyBitFlipIsDetected();
    void wrongVersionsAndShortInputs();
    void truncatedIntegrityValues();
    void wrongKeys();
    void damagedAndForgedCompressedBodies();
    void flagBits_data();
    void flagBits();
    void resultTooLargeForAByteArray();
    void runningOutOfMemory();
};

void tst_SimpleCrypt::defaultsAndKeys()
{
    SimpleCrypt none;
    QVERIFY(!none.keyIsSet());
    QCOMPARE(none.key(), quint64(0));
    QCOMPARE(none.compressionPolicy(), SimpleCrypt::CompressIfSmaller);
    QCOMPARE(none.integrityMode(), SimpleCrypt::ChecksumIntegrity);
    QCOMPARE(none.errorCode(), SimpleCrypt::NoError);
    QVERIFY(none.randomByte());

    // Key 0 is a key: only the chaining scrambles.
    none.setKey(0);
    QVERIFY(none.keyIsSet());
    SimpleCrypt zero = plainCypher(0);
    QCOMPARE(zero.encryptToByteArray(QByteArray("\x01\x02\x04", 3)).toHex(),
             QByteArray("0300000103" "07"));

    // The first key byte is the least significant one, the eighth the most.
    SimpleCrypt crypt = plainCypher(Q_UINT64_C(0x8877665544332211));
    const QByteArray cypher = crypt.encryptToByteArray(QByteArray(8, '\0'));
    QByteArray stream;
    uchar previous = 0;
    for (int i = 2; i < cypher.size(); ++i) {
        stream += char(uchar(cypher[i]) ^ previous);
        previous = uchar(cypher[i]);
    }
    QCOMPARE(stream.toHex(), QByteArray("1122334455667788" "11"));
}

void tst_SimpleCrypt::knownCyphertexts()
{
    // Made by the independent encoder in crypt_interop.py.
    SimpleCrypt crypt = plainCypher();
    QCOMPARE(crypt.encryptToByteArray(QByteArray("Lens")).toHex(), QByteArray("0300ef6ea04753"));
    crypt.setIntegrityMode(SimpleCrypt::ChecksumIntegrity);
    QCOMPARE(crypt.encryptToByteArray(QByteArray("Lens")).toHex(),
             QByteArray("0302efdd8247456e3e"));
    crypt.setIntegrityMode(SimpleCrypt::HashIntegrity);
    crypt.setCompressionPolicy(SimpleCrypt::CompressAlways);
    const QByteArray hashed = QByteArray::fromHex(
        "0305ef4f14ce6c3e297198d12710f11d049dc313c889b7f2d1d03b8eff85ab232b2cc30d149c68");
    QCOMPARE(crypt.encryptToByteArray(QByteArray("Lens")).toHex(), hashed.toHex());
    QCOMPARE(SimpleCrypt(s_key).decryptToByteArray(hashed), QByteArray("Lens"));
}

void tst_SimpleCrypt::noKeyIsRefusedWithWarning()
{
    SimpleCrypt crypt;
    MessageCapture capture;
    QVERIFY(crypt.encryptToByteArray(QByteArray("data")).isEmpty());
    QCOMPARE(crypt.errorCode(), SimpleCrypt::NoKeyError);
    QVERIFY(crypt.encryptToString(QStringLiteral("data")).isEmpty());
    QVERIFY(crypt.decryptToByteArray(QByteArray("\x03\x00\x00", 3)).isEmpty());
    QCOMPARE(crypt.errorCode(), SimpleCrypt::NoKeyError);
    QVERIFY(crypt.decryptToString(QStringLiteral("AwAA")).isEmpty());

    const QList<MessageCapture::Message> messages = capture.messages();
    QCOMPARE(messages.size(), 4);
    for (const MessageCapture::Message &message : messages) {
        QCOMPARE(message.type, QtWarningMsg);
        QCOMPARE(message.text, QStringLiteral("No key set. "));
    }
}

void tst_SimpleCrypt::emptyPlaintextGivesThreeBytes()
{
    SimpleCrypt crypt(s_key);
    crypt.setCompressionPolicy(SimpleCrypt::CompressNever);
    crypt.setIntegrityMode(SimpleCrypt::NoIntegrity);
    const QByteArray cypher = crypt.encryptToByteArray(QByteArray());
    QCOMPARE(cypher.size(), 3);
    QCOMPARE(cypher[0], char(3));
    QCOMPARE(cypher[1], char(0));
    QCOMPARE(crypt.errorCode(), SimpleCrypt::NoError);
    const QByteArray back = crypt.decryptToByteArray(cypher);
    QVERIFY(back.isEmpty());
    QCOMPARE(crypt.errorCode(), SimpleCrypt::NoError);

    // Also with every policy and mode.
    crypt.setCompressionPolicy(SimpleCrypt::CompressAlways);
    crypt.setIntegrityMode(SimpleCrypt::HashIntegrity);
    QVERIFY(crypt.decryptToByteArray(crypt.encryptToByteArray(QByteArray())).isEmpty());
    QCOMPARE(crypt.errorCode(), SimpleCrypt::NoError);
}

void tst_SimpleCrypt::compressionPolicies()
{
    SimpleCrypt crypt(s_key);
    const QByteArray text = repetitive();
    const QByteArray random = randomBytes(500, 1);
    const auto flags = [&](const QByteArray &data) {
        const QByteArray cypher = crypt.encryptToByteArray(data);
        SimpleCrypt reader(s_key);
        const QByteArray back = reader.decryptToByteArray(cypher);
        [&] { QCOMPARE(back, data); }();
        return int(uchar(cypher[1]));
    };

    QCOMPARE(flags(QByteArray("short")), 2); // CompressIfSmaller
    QCOMPARE(flags(random), 2);
    QCOMPARE(flags(text), 3);
    QVERIFY(crypt.encryptToByteArray(text).size() < text.size() / 5);

    crypt.setCompressionPolicy(SimpleCrypt::CompressAlways);
    QCOMPARE(flags(QByteArray("short")), 3);
    QCOMPARE(flags(random), 3);
    crypt.setCompressionPolicy(SimpleCrypt::CompressNever);
    QCOMPARE(flags(text), 2);
    QCOMPARE(crypt.encryptToByteArray(text).size(), text.size() + 5);
    crypt.setCompressionPolicy(SimpleCrypt::CompressionPolicy(7)); // behaves as never
    QCOMPARE(flags(text), 2);

    // The compressed body is qCompress(data, 9), checksummed as stored.
    crypt.setCompressionPolicy(SimpleCrypt::CompressAlways);
    crypt.setRandomByte(false);
    const QByteArray body = qCompress(text, 9);
    QCOMPARE(crypt.encryptToByteArray(text), forge(3, '\0' + checksumBytes(body) + body));
}

void tst_SimpleCrypt::integrityModes()
{
    SimpleCrypt crypt = plainCypher();
    const QByteArray data("doublet");
    QCOMPARE(crypt.encryptToByteArray(data), forge(0, '\0' + data));
    crypt.setIntegrityMode(SimpleCrypt::ChecksumIntegrity);
    QCOMPARE(crypt.encryptToByteArray(data), forge(2, '\0' + checksumBytes(data) + data));
    crypt.setIntegrityMode(SimpleCrypt::HashIntegrity);
    QCOMPARE(crypt.encryptToByteArray(data),
             forge(4, '\0' + QCryptographicHash::hash(data, QCryptographicHash::Sha1) + data));
    crypt.setIntegrityMode(SimpleCrypt::IntegrityMode(9)); // behaves as none
    QCOMPARE(crypt.encryptToByteArray(data), forge(0, '\0' + data));

    // With both flags the checksum is checked and the hash flag ignored.
    SimpleCrypt reader(s_key);
    QCOMPARE(reader.decryptToByteArray(forge(6, 'r' + checksumBytes(data) + data)), data);
    QCOMPARE(reader.errorCode(), SimpleCrypt::NoError);
}

void tst_SimpleCrypt::randomByteAndSeeding()
{
    SimpleCrypt crypt(s_key);
    crypt.setRandomByte(false);
    const QByteArray data("same input");
    QCOMPARE(crypt.encryptToByteArray(data), crypt.encryptToByteArray(data));

    crypt.setRandomByte(true);
    QSet<QByteArray> distinct;
    for (int i = 0; i < 16; ++i)
        distinct.insert(crypt.encryptToByteArray(data));
    QVERIFY(distinct.size() > 1);

    // Construction seeds this thread's qrand() with the low 16 bits of the
    // seconds since 1970; the first byte is the next draw's low 8 bits.
    for (int attempt = 0; attempt < 5; ++attempt) {
        const uint seconds = QDateTime::currentDateTime().toTime_t();
        SimpleCrypt seeded(s_key);
        seeded.setCompressionPolicy(SimpleCrypt::CompressNever);
        const QByteArray cypher = seeded.encryptToByteArray(data);
        if (QDateTime::currentDateTime().toTime_t() != seconds)
            continue; // a second boundary passed in between
        qsrand(seconds & 0xFFFF);
        const uchar expected = uchar(qrand() & 0xFF);
        QCOMPARE(uchar(cypher[2]) ^ uchar(s_key & 0xFF), expected);
        return;
    }
    QFAIL("the clock kept crossing second boundaries");
}

void tst_SimpleCrypt::textFormAndUnicode()
{
    SimpleCrypt crypt(s_key);
    const QString text = QStringLiteral("Brechzahl n\u2248 1.5 \u00e4\u00f6\u00fc \U0001F50D");
    const QString cypher = crypt.encryptToString(text);
    QVERIFY(!cypher.contains(QLatin1Char('\n')));
    const QByteArray bytes = QByteArray::fromBase64(cypher.toLatin1());
    QCOMPARE(QString::fromLatin1(bytes.toBase64()), cypher); // standard alphabet, padded
    QCOMPARE(crypt.decryptToString(cypher), text);
    QCOMPARE(crypt.decryptToByteArray(cypher), text.toUtf8());
    QCOMPARE(crypt.decryptToString(bytes), text);
    QCOMPARE(crypt.decryptToByteArray(crypt.encryptToByteArray(text)), text.toUtf8());
    QCOMPARE(crypt.decryptToString(crypt.encryptToString(text.toUtf8())), text);
}

void tst_SimpleCrypt::largePayloadRoundTrip()
{
    // Lengths around the vector widths and an odd large one, every mode.
    for (int size : {15, 16, 17, 31, 33, 127, 129, 1000, 65537, 1048576 + 3}) {
        const QByteArray data = randomBytes(size, quint32(size));
        for (int mode = 0; mode < 3; ++mode) {
            SimpleCrypt crypt(s_key ^ quint64(size));
            crypt.setCompressionPolicy(SimpleCrypt::CompressNever);
            crypt.setIntegrityMode(SimpleCrypt::IntegrityMode(mode));
            QCOMPARE(crypt.decryptToByteArray(crypt.encryptToByteArray(data)), data);
            QCOMPARE(crypt.errorCode(), SimpleCrypt::NoError);
        }
    }
}

void tst_SimpleCrypt::everyBitFlipIsDetected()
{
    const QByteArray data = "aperture stop, " + randomBytes(40, 3);
    for (auto mode : {SimpleCrypt::ChecksumIntegrity, SimpleCrypt::HashIntegrity}) {
        for (auto policy : {SimpleCrypt::CompressNever, SimpleCrypt::CompressAlways}) {
            SimpleCrypt crypt(s_key);
            crypt.setIntegrityMode(mode);
            crypt.setCompressionPolicy(policy);
            const QByteArray cypher = crypt.encryptToByteArray(data);
            for (int bit = 16; bit < cypher.size() * 8; ++bit) {
                QByteArray damaged = cypher;
                damaged[bit / 8] = char(damaged[bit / 8] ^ (1 << (bit % 8)));
                QVERIFY2(crypt.decryptToByteArray(damaged).isEmpty(), qPrintable(QString::number(bit)));
                QCOMPARE(crypt.errorCode(), SimpleCrypt::IntegrityError);
            }
        }
    }
}

void tst_SimpleCrypt::wrongVersionsAndShortInputs()
{
    SimpleCrypt crypt(s_key);
    const QByteArray good = crypt.encryptToByteArray(QByteArray("data"));
    MessageCapture capture;
    for (int version : {0, 2, 4, 255}) {
        QByteArray other = good;
        other[0] = char(version);
        QVERIFY(crypt.decryptToByteArray(other).isEmpty());
        QCOMPARE(crypt.errorCode(), SimpleCrypt::VersionError);
    }
    QVERIFY(crypt.decryptToString(QStringLiteral("not a cyphertext at all")).isEmpty());
    QCOMPARE(crypt.errorCode(), SimpleCrypt::VersionError);
    QCOMPARE(capture.messages().size(), 5);
    QCOMPARE(capture.messages().first().type, QtWarningMsg);
    QCOMPARE(capture.texts().first(), QStringLiteral("Invalid version or not a cyphertext. "));
    capture.clear();

    // Fewer than 3 bytes: empty, and the last error stays whatever it was.
    for (const QByteArray &shortInput : {QByteArray(), QByteArray("\x03"), QByteArray("\x03\x00", 2)})
        QVERIFY(crypt.decryptToByteArray(shortInput).isEmpty());
    QCOMPARE(crypt.errorCode(), SimpleCrypt::VersionError);
    QVERIFY(crypt.decryptToString(QStringLiteral("AwA=")).isEmpty()); // Base64 of 2 bytes
    QCOMPARE(crypt.errorCode(), SimpleCrypt::VersionError);
    QVERIFY(!crypt.decryptToByteArray(good).isEmpty());
    QVERIFY(crypt.decryptToByteArray(QStringLiteral("AwA=")).isEmpty());
    QCOMPARE(crypt.errorCode(), SimpleCrypt::NoError);
    QVERIFY(capture.messages().isEmpty());
}

void tst_SimpleCrypt::truncatedIntegrityValues()
{
    SimpleCrypt crypt(s_key);
    MessageCapture capture;
    QVERIFY(crypt.decryptToByteArray(forge(2, "r")).isEmpty());
    QCOMPARE(crypt.errorCode(), SimpleCrypt::IntegrityError);
    QVERIFY(crypt.decryptToByteArray(forge(2, "r\x01")).isEmpty());
    QCOMPARE(crypt.errorCode(), SimpleCrypt::IntegrityError);
    QVERIFY(crypt.decryptToByteArray(forge(4, "r" + QByteArray(19, 'h'))).isEmpty());
    QCOMPARE(crypt.errorCode(), SimpleCrypt::IntegrityError);
    // A complete checksum of an empty body is fine.
    QVERIFY(crypt.decryptToByteArray(forge(2, 'r' + checksumBytes(QByteArray()))).isEmpty());
    QCOMPARE(crypt.errorCode(), SimpleCrypt::NoError);
    QVERIFY(capture.messages().isEmpty()); // integrity failures are silent
}

void tst_SimpleCrypt::wrongKeys()
{
    SimpleCrypt writer(s_key);
    const QByteArray data("principal plane");
    SimpleCrypt reader(s_key + 1);
    QVERIFY(reader.decryptToByteArray(writer.encryptToByteArray(data)).isEmpty());
    QCOMPARE(reader.errorCode(), SimpleCrypt::IntegrityError);
    writer.setIntegrityMode(SimpleCrypt::HashIntegrity);
    QVERIFY(reader.decryptToByteArray(writer.encryptToByteArray(data)).isEmpty());
    QCOMPARE(reader.errorCode(), SimpleCrypt::IntegrityError);

    writer.setIntegrityMode(SimpleCrypt::NoIntegrity);
    writer.setCompressionPolicy(SimpleCrypt::CompressNever);
    const QByteArray scrambled = reader.decryptToByteArray(writer.encryptToByteArray(data));
    QCOMPARE(reader.errorCode(), SimpleCrypt::NoError);
    QCOMPARE(scrambled.size(), data.size());
    QVERIFY(scrambled != data);
}

void tst_SimpleCrypt::damagedAndForgedCompressedBodies()
{
    SimpleCrypt crypt(s_key);
    MessageCapture capture;
    const QByteArray data = repetitive();
    QByteArray body = qCompress(data, 9);

    // A stream that does not inflate is reported, not passed off as empty
    // data: with a valid checksum and without any integrity value.
    QByteArray damaged = body;
    damaged[10] = char(damaged[10] ^ 0xFF);
    damaged[11] = char(damaged[11] ^ 0xFF);
    QVERIFY(crypt.decryptToByteArray(forge(3, 'r' + checksumBytes(damaged) + damaged)).isEmpty());
    QCOMPARE(crypt.errorCode(), SimpleCrypt::IntegrityError);
    QVERIFY(crypt.decryptToByteArray(forge(1, 'r' + body.left(body.size() / 2))).isEmpty());
    QCOMPARE(crypt.errorCode(), SimpleCrypt::IntegrityError);
    QVERIFY(crypt.decryptToByteArray(forge(1, QByteArray("r\0\0\1", 4))).isEmpty());
    QCOMPARE(crypt.errorCode(), SimpleCrypt::IntegrityError);

    // A body that claims about 2 GiB: refused when beyond a byte array,
    // otherwise inflated to its real size without trusting the claim.
    QByteArray huge = body;
    qToBigEndian(quint32(0xFFFFFFF0), reinterpret_cast<uchar *>(huge.data()));
    QVERIFY(crypt.decryptToByteArray(forge(1, 'r' + huge)).isEmpty());
    QCOMPARE(crypt.errorCode(), SimpleCrypt::IntegrityError);
    qToBigEndian(quint32(0x7FFF0000), reinterpret_cast<uchar *>(huge.data()));
    QCOMPARE(crypt.decryptToByteArray(forge(1, 'r' + huge)), data);
    QCOMPARE(crypt.errorCode(), SimpleCrypt::NoError);
    QVERIFY(capture.messages().isEmpty());

    // Four zero bytes are qCompress's empty form.
    QVERIFY(crypt.decryptToByteArray(forge(1, QByteArray("r\0\0\0\0", 5))).isEmpty());
    QCOMPARE(crypt.errorCode(), SimpleCrypt::NoError);
}

Q_DECLARE_METATYPE(SimpleCrypt::IntegrityMode)
Q_DECLARE_METATYPE(SimpleCrypt::CompressionPolicy)

// One flag bit flipped (-1: none), and what decrypting gives: the data, the
// bytes as stored, or nothing (IntegrityError).
void tst_SimpleCrypt::flagBits_data()
{
    QTest::addColumn<SimpleCrypt::IntegrityMode>("mode");
    QTest::addColumn<SimpleCrypt::CompressionPolicy>("policy");
    QTest::addColumn<int>("bit");
    QTest::addColumn<SimpleCrypt::IntegrityMode>("required");
    QTest::addColumn<QByteArray>("result");
    const auto none = SimpleCrypt::NoIntegrity;
    const auto sum = SimpleCrypt::ChecksumIntegrity;
    const auto hash = SimpleCrypt::HashIntegrity;
    const auto never = SimpleCrypt::CompressNever;
    const auto always = SimpleCrypt::CompressAlways;
    const QByteArray data = repetitive();
    const QByteArray refused;

    QTest::newRow("checksum") << sum << never << -1 << none << data;
    QTest::newRow("checksum, compressed set") << sum << never << 0 << none << refused;
    // The flags are outside the checksum: clearing its flag returned the
    // checksum bytes as data, unless the caller demands integrity.
    QTest::newRow("checksum cleared") << sum << never << 1 << none << checksumBytes(data) + data;
    QTest::newRow("checksum cleared, required") << sum << never << 1 << sum << refused;
    QTest::newRow("checksum cleared, hash required") << sum << never << 1 << hash << refused;
    // Both integrity flags: the checksum is read, as always.
    QTest::newRow("hash set on checksum") << sum << never << 2 << sum << data;
    QTest::newRow("hash set on checksum, hash required") << sum << never << 2 << hash << refused;
    QTest::newRow("checksum, hash required") << sum << never << -1 << hash << refused;
    QTest::newRow("hash, hash required") << hash << always << -1 << hash << data;
    QTest::newRow("hash cleared")
        << hash << never << 2 << none << QCryptographicHash::hash(data, QCryptographicHash::Sha1) + data;
    QTest::newRow("hash cleared, required") << hash << never << 2 << sum << refused;
    QTest::newRow("checksum set on hash") << hash << always << 1 << none << refused;
    // The documented limit: the hash covers the body as stored, not the flags.
    QTest::newRow("compressed cleared") << hash << always << 0 << hash << qCompress(data, 9);
    QTest::newRow("no integrity") << none << never << -1 << none << data;
    QTest::newRow("no integrity, required") << none << never << -1 << sum << refused;
    for (int bit = 0; bit < 3; ++bit)
        QTest::addRow("no integrity, bit %d set", bit) << none << never << bit << none << refused;
    // Undefined bits are damage, whatever else is set (every bit: crypt_interop.py).
    QTest::newRow("undefined bit 3") << sum << always << 3 << none << refused;
    QTest::newRow("undefined bit 7, no integrity") << none << never << 7 << none << refused;
}

void tst_SimpleCrypt::flagBits()
{
    QFETCH(SimpleCrypt::IntegrityMode, mode);
    QFETCH(SimpleCrypt::CompressionPolicy, policy);
    QFETCH(int, bit);
    QFETCH(SimpleCrypt::IntegrityMode, required);
    QFETCH(QByteArray, result);
    SimpleCrypt writer(s_key);
    writer.setIntegrityMode(mode);
    writer.setCompressionPolicy(policy);
    QByteArray cypher = writer.encryptToByteArray(repetitive());
    if (bit >= 0)
        cypher[1] = char(cypher[1] ^ (1 << bit));
    SimpleCrypt reader(s_key);
    reader.setRequiredIntegrity(required);
    MessageCapture capture;
    QCOMPARE(reader.decryptToByteArray(cypher), result);
    QCOMPARE(reader.errorCode(), result.isEmpty() ? SimpleCrypt::IntegrityError : SimpleCrypt::NoError);
    QVERIFY(capture.messages().isEmpty()); // integrity failures are silent
}

void tst_SimpleCrypt::resultTooLargeForAByteArray()
{
    // Nearly 2 GiB that no cyphertext byte array can hold with its overhead.
    // The bytes are never touched: no compression, no integrity value.
    QByteArray plaintext;
    try {
        plaintext = QByteArray(std::numeric_limits<int>::max() - 40, Qt::Uninitialized);
    } catch (const std::bad_alloc &) {
        QSKIP("cannot reserve 2 GiB of address space here");
    }
    SimpleCrypt crypt = plainCypher();
    QVERIFY(!crypt.encryptToByteArray(QByteArray("fits")).isEmpty());
    QCOMPARE(crypt.errorCode(), SimpleCrypt::NoError);
    QVERIFY(crypt.encryptToByteArray(plaintext).isEmpty());
    QCOMPARE(crypt.errorCode(), SimpleCrypt::IntegrityError);
}

void tst_SimpleCrypt::runningOutOfMemory()
{
    // 96 MB of plaintext with 64 MB to spare: the cyphertext cannot be made
    // (std::bad_alloc used to leave the library).
    if (!MemoryLimit::supported())
        QSKIP("a sanitizer build cannot run under an address-space limit");
    const QByteArray plaintext(96 << 20, 'r');
    QCOMPARE(MemoryLimit::run(64 << 20, [&] {
                 SimpleCrypt crypt = plainCypher();
                 return crypt.encryptToString(plaintext).isEmpty()
                        && crypt.errorCode() == SimpleCrypt::IntegrityError;
             }),
             MemoryLimit::Passed);
}

QTEST_GUILESS_MAIN(tst_SimpleCrypt)
#include "tst_simplecrypt.moc"
