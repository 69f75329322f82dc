// The fast scramble and CRC forms against their simple definitions over
// random lengths, alignments, phases and chain states; the bounded inflate
// against qUncompress; the header map's byte form and what it can carry.

#include "Crypt/boundeduncompress_p.h"
#include "Crypt/cryptkernels_p.h"
#include "Crypt/headerstream_p.h"
#include "testsupport/randombytes.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QKeySequence>
#include <QMatrix4x4>
#include <QModelIndex>
#include <QPolygon>
#include <QQuaternion>
#include <QRandomGenerator>
#include <QSizePolicy>
#include <QTextLength>
#include <QTransform>
#include <QVector2D>
#include <QVector3D>
#include <QVector4D>
#include <QtEndian>
#include <QtTest>

#include <vector>

using namespace CryptKernels;

namespace {

// A buffer with slack so that data can start at any offset.
struct Buffer
{
    explicit Buffer(std::size_t size, QRandomGenerator &random) : bytes(size + 64)
    {
        for (uchar &b : bytes)
            b = uchar(random.bounded(256));
    }
    std::vector<uchar> bytes;
};

std::size_t randomLength(QRandomGenerator &random, int round)
{
    // Mostly short lengths around the word and vector sizes, some long ones.
    if (round % 10 == 0)
        return std::size_t(random.bounded(70000));
    return std::size_t(random.bounded(300));
}

QByteArray compressedWithClaim(const QByteArray &data, quint32 claim)
{
    QByteArray body = qCompress(data, 9);
    qToBigEndian(claim, reinterpret_cast<uchar *>(body.data()));
    return body;
}

QByteArray nestedLists(int depth)
{
    // QVariant list (type 9, not null, one element) nested `depth` times
    // around an int, as one map entry "n".
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream.setVersion(QDataStream::Qt_4_8);
    stream << quint32(1) << QStringLiteral("n");
    for (int i = 0; i < depth; ++i)
        stream << quint32(QVariant::List) << qint8(0) << quint32(1);
    stream << QVariant(7);
    return bytes;
}

} // namespace

class tst_CryptKernels : public QObject
{
    Q_OBJECT

private slots:
    void scrambleFormsAgree();
    void unscrambleFormsAgreeAndInvert();
    void crcFormsAgreeWithQChecksum();
    void boundedUncompressMatchesQUncompress();
    void boundedUncompressRejectsDamage();
    void headerMapByteForm();
    void headerMapRejectsDamageAndDeepNesting();
    void headerMapReadsFixedSizeGuiValues();
};

void tst_CryptKernels::scrambleFormsAgree()
{
    QRandomGenerator random(4711);
    for (int round = 0; round < 2000; ++round) {
        const std::size_t size = randomLength(random, round);
        const std::size_t inOffset = random.bounded(16), outOffset = random.bounded(16);
        const quint64 key = random.generate64();
        const unsigned phase = random.bounded(8);
        const quint8 last = quint8(random.bounded(256));
        Buffer input(size, random);
        const uchar *in = input.bytes.data() + inOffset;

        std::vector<uchar> expected(size + 16), words(size + 16), vector(size + 16),
            best(size + 16);
        const quint8 lastSimple = scrambleSimple(in, expected.data(), size, key, phase, last);
        QCOMPARE(scrambleWords(in, words.data() + outOffset, size, key, phase, last), lastSimple);
        QVERIFY(std::equal(expected.begin(), expected.begin() + size, words.begin() + outOffset));
        if (hasVectorScramble()) {
            QCOMPARE(scrambleVector(in, vector.data() + outOffset, size, key, phase, last),
                     lastSimple);
            QVERIFY(std::equal(expected.begin(), expected.begin() + size,
                               vector.begin() + outOffset));
        }
        QCOMPARE(scramble(in, best.data(), size, key, phase, last), lastSimple);
        QVERIFY(std::equal(expected.begin(), expected.begin() + size, best.begin()));

        // In place, and in two pieces continued through phase and chain.
        std::vector<uchar> inPlace(in, in + size);
        const std::size_t cut = size ? random.bounded(quint32(size)) : 0;
        const quint8 middle = scramble(inPlace.data(), inPlace.data(), cut, key, phase, last);
        QCOMPARE(scramble(inPlace.data() + cut, inPlace.data() + cut, size - cut, key,
                          unsigned(phase + cut), middle),
                 lastSimple);
        QVERIFY(std::equal(expected.begin(), expected.begin() + size, inPlace.begin()));
    }
    if (!hasVectorScramble())
        qInfo("no vector scramble on this processor: word form checked only");
}

void tst_CryptKernels::unscrambleFormsAgreeAndInvert()
{
    QRandomGenerator random(815);
    for (int round = 0; round < 2000; ++round) {
        const std::size_t size = randomLength(random, round);
        const std::size_t inOffset = random.bounded(16), outOffset = random.bounded(16);
        const quint64 key = random.generate64();
        const unsigned phase = random.bounded(8);
        const quint8 previous = quint8(random.bounded(256));
        Buffer plain(size, random);
        const uchar *p = plain.bytes.data() + inOffset;

        std::vector<uchar> cypher(size + 16);
        scrambleSimple(p, cypher.data() + inOffset % 8, size, key, phase, previous);
        const uchar *c = cypher.data() + inOffset % 8;

        std::vector<uchar> simple(size), words(size + 16), vector(size + 16);
        unscrambleSimple(c, simple.data(), size, key, phase, previous);
        QVERIFY(std::equal(simple.begin(), simple.end(), p));
        unscrambleWords(c, words.data() + outOffset, size, key, phase, previous);
        QVERIFY(std::equal(simple.begin(), simple.end(), words.begin() + outOffset));
        if (hasVectorScramble()) {
            unscrambleVector(c, vector.data() + outOffset, size, key, phase, previous);
            QVERIFY(std::equal(simple.begin(), simple.end(), vector.begin() + outOffset));
        }
        std::vector<uchar> inPlace(c, c + size);
        unscramble(inPlace.data(), inPlace.data(), size, key, phase, previous);
        QVERIFY(std::equal(simple.begin(), simple.end(), inPlace.begin()));
    }
}

void tst_CryptKernels::crcFormsAgreeWithQChecksum()
{
    // The X.25 check value.
    QCOMPARE(checksum("123456789", 9), quint16(0x906E));
    QCOMPARE(qChecksum("123456789", 9), quint16(0x906E));
    QCOMPARE(checksum("", 0), qChecksum("", 0));

    QRandomGenerator random(42);
    for (int round = 0; round < 1500; ++round) {
        std::size_t size = randomLength(random, round);
        if (round % 7 == 0)
            size += 128 + random.bounded(200); // around the carry-less threshold
        const std::size_t offset = random.bounded(16);
        const quint16 start = round % 3 ? quint16(random.bounded(65536)) : quint16(0xFFFF);
        Buffer input(size, random);
        const uchar *data = input.bytes.data() + offset;

        const quint16 expected = crc16Simple(start, data, size);
        QCOMPARE(crc16Sliced(start, data, size), expected);
        if (hasCarrylessCrc())
            QCOMPARE(crc16Carryless(start, data, size), expected);
        QCOMPARE(crc16(start, data, size), expected);
        if (start == 0xFFFF && size < 5000)
            QCOMPARE(checksum(reinterpret_cast<const char *>(data), size),
                     qChecksum(reinterpret_cast<const char *>(data), uint(size)));
    }
    if (!hasCarrylessCrc())
        qInfo("no carry-less multiplication on this processor: sliced form checked only");
}

void tst_CryptKernels::boundedUncompressMatchesQUncompress()
{
    QRandomGenerator random(7);
    QByteArray text;
    for (int i = 0; i < 3000; ++i)
        text += QByteArray::number(random.bounded(50)) + " lens surface ";
    const QByteArray noise = randomBytes(5000, 8);
    const QByteArray zeros(300000, '\0'); // compresses far beyond 16:1

    for (const QByteArray &data : {QByteArray(), QByteArray("x"), text, noise, zeros}) {
        QByteArray out;
        QVERIFY(boundedUncompress(qCompress(data, 9), &out));
        QCOMPARE(out, data);
        if (data.isEmpty())
            continue; // qCompress gives just the four zero bytes
        // A wrong claimed length is tolerated, as by qUncompress.
        for (quint32 claim : {0u, 1u, quint32(data.size() / 2), quint32(data.size() * 3 + 10)}) {
            const QByteArray body = compressedWithClaim(data, claim);
            QVERIFY(boundedUncompress(body, &out));
            QCOMPARE(out, data);
            QCOMPARE(out, qUncompress(body));
        }
        // Bytes after the end of the stream are ignored.
        QVERIFY(boundedUncompress(qCompress(data, 9) + "trailing", &out));
        QCOMPARE(out, data);
    }
    QByteArray out("stale");
    QVERIFY(boundedUncompress(QByteArray(4, '\0'), &out));
    QVERIFY(out.isEmpty());
}

void tst_CryptKernels::boundedUncompressRejectsDamage()
{
    const QByteArray data(2000, 'a');
    const QByteArray good = qCompress(data, 9);
    QByteArray out("stale");
    QVERIFY(!boundedUncompress(QByteArray(), &out));
    QVERIFY(out.isEmpty());
    QVERIFY(!boundedUncompress(QByteArray("\0\0\0", 3), &out));
    QVERIFY(!boundedUncompress(QByteArray("\0\0\0\1", 4), &out));
    QVERIFY(!boundedUncompress(good.left(good.size() - 3), &out)); // truncated
    QByteArray garbage = good;
    garbage[6] = char(garbage[6] ^ 0x5A);
    garbage[7] = char(garbage[7] ^ 0xA5);
    QVERIFY(!boundedUncompress(garbage, &out));
    QVERIFY(!boundedUncompress(QByteArray("\x00\x00\x10\x00not a zlib stream", 21), &out));
    // More than a byte array can hold.
    QVERIFY(!boundedUncompress(compressedWithClaim(data, 0xFFFFFFFFu), &out));

    // A forged claim of nearly 2 GiB on a small body: the first buffer is
    // sized by the body, not by the claim, and the data still comes back.
    const QByteArray forged = compressedWithClaim(data, 0x7FFF0000u);
    QVERIFY(initialInflateCapacity(0x7FFF0000, forged.size() - 4) < 128 * 1024);
    QVERIFY(boundedUncompress(forged, &out));
    QCOMPARE(out, data);
    QCOMPARE(initialInflateCapacity(5000, 1000), qint64(5000)); // honest claims are trusted
    QCOMPARE(initialInflateCapacity(0, 1000), qint64(1));
}

void tst_CryptKernels::headerMapByteForm()
{
    QVariantMap map;
    map.insert(QStringLiteral("a"), QStringLiteral("x"));
    map.insert(QStringLiteral("Key"), QVariant(quint64(5)));
    const QByteArray expected = QByteArray::fromHex(
        "00000002"                                       // entries
        "00000002" "0061" "0000000a" "00" "00000002" "0078" // "a" = QString "x" (greatest key first)
        "00000006" "004b00650079" "00000005" "00" "0000000000000005"); // "Key" = quint64 5
    QCOMPARE(writeHeaderMap(map).toHex(), expected.toHex());

    QVariantMap nested;
    nested.insert(QStringLiteral("list"), QVariantList{1, QStringLiteral("two"), 3.5});
    nested.insert(QStringLiteral("map"), QVariantMap{{QStringLiteral("inner"), true}});
    nested.insert(QStringLiteral("hash"), QVariantHash{{QStringLiteral("h"), QByteArray("b")}});
    nested.insert(QStringLiteral("null list"), QVariant(QVariant::List));
    nested.insert(QStringLiteral("Umlaut \u00e4\u20ac"), QStringList{QStringLiteral("s")});
    QVariantMap back;
    QVERIFY(readHeaderMap(writeHeaderMap(nested), &back));
    QCOMPARE(back, nested);
    QVERIFY(back.value(QStringLiteral("null list")).isNull());
    QVERIFY(readHeaderMap(nestedLists(s_maximumNesting - 1), &back));
    QCOMPARE(back.size(), 1);
}

void tst_CryptKernels::headerMapRejectsDamageAndDeepNesting()
{
    QVariantMap map{{QStringLiteral("name"), QStringLiteral("value")}, {QStringLiteral("n"), 5}};
    const QByteArray bytes = writeHeaderMap(map);
    QVariantMap back{{QStringLiteral("stale"), 1}};
    for (int size = 0; size < bytes.size(); ++size) {
        QVERIFY2(!readHeaderMap(bytes.left(size), &back), qPrintable(QString::number(size)));
        QVERIFY(back.isEmpty());
    }
    QVERIFY(readHeaderMap(bytes + "trailing bytes", &back));
    QCOMPARE(back, map);

    QVERIFY(!readHeaderMap(nestedLists(s_maximumNesting + 1), &back));
    QVERIFY(!readHeaderMap(nestedLists(200000), &back)); // would exhaust the stack
    QVERIFY(back.isEmpty());

    // An unknown user type and a huge count with nothing behind it.
    QByteArray unknown;
    {
        QDataStream stream(&unknown, QIODevice::WriteOnly);
        stream.setVersion(QDataStream::Qt_4_8);
        stream << quint32(1) << QStringLiteral("u") << quint32(127) << qint8(0)
               << QByteArray("NoSuchType");
    }
    QVERIFY(!readHeaderMap(unknown, &back));

    // GUI values whose readers reserve, nest or decode images make the map
    // unreadable in every application: by old id, by extended id and by name.
    // 168 and 184 are old extended ids of a polygon and a colour space.
    for (quint32 type : {65u, 66u, 68u, 69u, 70u, 71u, 72u, 73u, 74u, 77u, 79u, 168u, 184u}) {
        QByteArray gui;
        QDataStream stream(&gui, QIODevice::WriteOnly);
        stream.setVersion(QDataStream::Qt_4_8);
        stream << quint32(1) << QStringLiteral("g") << type << qint8(0) << QByteArray(64, '\0');
        QVERIFY2(!readHeaderMap(gui, &back), qPrintable(QString::number(type)));
    }
    for (const char *name : {"QBitmap", "QPolygonF", "QColorSpace", "QTextFormat"}) {
        QByteArray named;
        QDataStream stream(&named, QIODevice::WriteOnly);
        stream.setVersion(QDataStream::Qt_4_8);
        stream << quint32(1) << QStringLiteral("g") << quint32(127) << qint8(0)
               << QByteArray(name) << QByteArray(64, '\0');
        QVERIFY2(!readHeaderMap(named, &back), name);
    }
    QVERIFY(back.isEmpty());

    // Lists that claim two billion elements: read element by element, so
    // they fail at the end of the data instead of reserving gigabytes.
    // 2147483756 would read as 11 (string list) if only 30 bits of it were
    // kept; ids beyond 30 bits are refused as corrupt.
    for (const QByteArray &type : {QByteArray("11"), QByteArray("146"), QByteArray("2147483756"),
                                   QByteArray("QStringList")}) {
        QByteArray huge;
        QDataStream stream(&huge, QIODevice::WriteOnly);
        stream.setVersion(QDataStream::Qt_4_8);
        stream << quint32(1) << QStringLiteral("list");
        if (type.startsWith('Q'))
            stream << quint32(127) << qint8(0) << type;
        else
            stream << type.toUInt() << qint8(0);
        stream << quint32(0x7FFFFFFF) << QByteArray("one") << QByteArray("two");
        QVERIFY2(!readHeaderMap(huge, &back), type.constData());
    }

    // An old-style id with bit 30 set, for a vector type: the toolkit's own
    // reader would create the value under one id and free it under another.
    {
        QByteArray flagged;
        QDataStream stream(&flagged, QIODevice::WriteOnly);
        stream.setVersion(QDataStream::Qt_4_8);
        stream << quint32(1) << QStringLiteral("n") << quint32(0x400000B4) << qint8(0)
               << quint32(0x01020000);
        QVERIFY(!readHeaderMap(flagged, &back));
    }
    QByteArray wrapped; // a variant (old id 138) holding such a list
    {
        QDataStream stream(&wrapped, QIODevice::WriteOnly);
        stream.setVersion(QDataStream::Qt_4_8);
        stream << quint32(1) << QStringLiteral("v") << quint32(138) << qint8(0)
               << quint32(QVariant::List) << qint8(0) << quint32(0x7FFFFFFF) << QVariant(1);
    }
    QVERIFY(!readHeaderMap(wrapped, &back));
    const QVariant inner(QStringList{QStringLiteral("i")});
    QVariantMap lists{{QStringLiteral("s"), QStringList{QStringLiteral("a"), QString()}},
                      {QStringLiteral("b"), QVariant::fromValue(QByteArrayList{"x", "yz"})},
                      {QStringLiteral("n"), QVariant(QVariant::StringList)},
                      {QStringLiteral("v"), QVariant(QMetaType::QVariant, &inner)}};
    QVERIFY(readHeaderMap(writeHeaderMap(lists), &back));
    QCOMPARE(back, lists);
    QVERIFY(!readHeaderMap(QByteArray::fromHex("ffffffff"), &back));
}

void tst_CryptKernels::headerMapReadsFixedSizeGuiValues()
{
    // Read in every application, this one without a GUI included.
    const QVariantMap gui{
        {QStringLiteral("colour"), QColor(10, 20, 30, 40)},
        {QStringLiteral("font"), QFont(QStringLiteral("Sans"), 11, QFont::Bold, true)},
        {QStringLiteral("keys"), QKeySequence(QStringLiteral("Ctrl+K, Ctrl+S, Alt+X, F2"))},
        {QStringLiteral("key"), QKeySequence(QStringLiteral("Ctrl+Q"))},
        {QStringLiteral("length"), QVariant::fromValue(QTextLength(QTextLength::PercentageLength, 50))},
        {QStringLiteral("matrix"), QMatrix(1, 2, 3, 4, 5, 6)},
        {QStringLiteral("transform"), QTransform(1, 2, 3, 4, 5, 6, 7, 8, 9)},
        {QStringLiteral("matrix4x4"), QMatrix4x4(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16)},
        {QStringLiteral("v2"), QVector2D(1, 2)},
        {QStringLiteral("v3"), QVector3D(1, 2, 3)},
        {QStringLiteral("v4"), QVector4D(1, 2, 3, 4)},
        {QStringLiteral("quaternion"), QQuaternion(1, 2, 3, 4)},
        {QStringLiteral("null keys"), QVariant(QVariant::KeySequence)}};
    QString unwritable;
    QVERIFY2(isWritableHeaderMap(gui, &unwritable), qPrintable(unwritable));
    QVariantMap back;
    QVERIFY(readHeaderMap(writeHeaderMap(gui), &back));
    QCOMPARE(back, gui);
    QVERIFY(back.value(QStringLiteral("null keys")).isNull());

    // Size policies travel where the toolkit streams them, which depends on
    // how its widgets module was set up; elsewhere such a header can neither
    // be written nor read (and the toolkit is not asked to).
    const QVariant policy = QVariant::fromValue(QSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed));
    QByteArray probeBytes;
    QDataStream probe(&probeBytes, QIODevice::WriteOnly);
    const bool streamed = QMetaType::save(probe, QMetaType::QSizePolicy, policy.constData());
    const QVariantMap policies{{QStringLiteral("policy"), policy}};
    QCOMPARE(isWritableHeaderMap(policies), streamed);
    QCOMPARE(readHeaderMap(writeHeaderMap(policies), &back), streamed);
    if (streamed)
        QCOMPARE(back, policies);

    // Key sequences are read as whole lists: surplus codes do not spill into
    // the next entry, a list cut short or claiming two billion codes fails.
    const auto keySequence = [](quint32 count, int present) {
        QByteArray bytes;
        QDataStream stream(&bytes, QIODevice::WriteOnly);
        stream.setVersion(QDataStream::Qt_4_8);
        stream << quint32(2) << QStringLiteral("k") << quint32(76) << qint8(0) << count;
        for (int i = 0; i < present; ++i)
            stream << quint32(Qt::Key_A + i);
        if (quint32(present) == count)
            stream << QStringLiteral("z") << QVariant(QStringLiteral("after"));
        return bytes;
    };
    QVERIFY(readHeaderMap(keySequence(6, 6), &back));
    QCOMPARE(back.value(QStringLiteral("k")).value<QKeySequence>(),
             QKeySequence(Qt::Key_A, Qt::Key_B, Qt::Key_C, Qt::Key_D));
    QCOMPARE(back.value(QStringLiteral("z")), QVariant(QStringLiteral("after")));
    QVERIFY(!readHeaderMap(keySequence(4, 2), &back));
    QVERIFY(!readHeaderMap(keySequence(0x7FFFFFF0, 2), &back));

    // Values a header cannot carry.
    QVERIFY(!isWritableHeaderMap({{QStringLiteral("p"), QPolygon({QPoint(1, 2)})}}));
    QVERIFY(!isWritableHeaderMap({{QStringLiteral("b"), QBrush(Qt::red)}}));
    QString badKey;
    QVERIFY(!isWritableHeaderMap({{QStringLiteral("a"), 1},
                                  {QStringLiteral("m"), QVariantList{QModelIndex()}}},
                                 &badKey));
    QCOMPARE(badKey, QStringLiteral("m"));
}

QTEST_GUILESS_MAIN(tst_CryptKernels)
#include "tst_cryptkernels.moc"
