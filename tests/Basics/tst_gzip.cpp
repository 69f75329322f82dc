// Gzip framing: every input compresses (with the same bytes as the old
// single-buffer rule wherever that rule succeeded), every ratio decompresses
// up to the 1 GiB bomb limit, failures are empty results, and the system's
// gzip and Python's gzip module read what we write and we read theirs.

#include <Basics/basics.h>

#include "testsupport/randombytes.h"

#include <QProcess>
#include <QtEndian>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QtTest>

#include <zlib.h>

#include <sys/resource.h>

namespace {

// Text that compresses to a bit less than half: Base64 of random bytes.
QByteArray modestlyCompressible(int size)
{
    return randomBytes(size * 3 / 4 + 3, 7).toBase64().left(size);
}

QByteArray prose(int size)
{
    QByteArray text;
    int line = 0;
    while (text.size() < size)
        text += "Surface " + QByteArray::number(line++)
                + ": radius 51.2 mm, thickness 4.0 mm, glass N-BK7, semi-diameter 12.5 mm\n";
    return text.left(size);
}

// The stream as the old rule made it: one deflate call into a buffer of
// n + n / 100 + 12 bytes; empty where that did not fit.
QByteArray singleBufferReference(const QByteArray &data)
{
    QByteArray buffer(data.size() + data.size() / 100 + 12, Qt::Uninitialized);
    z_stream stream{};
    deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 31, 8, Z_DEFAULT_STRATEGY);
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    stream.avail_in = uInt(data.size());
    stream.next_out = reinterpret_cast<Bytef *>(buffer.data());
    stream.avail_out = uInt(buffer.size());
    const bool ended = deflate(&stream, Z_FINISH) == Z_STREAM_END;
    buffer.resize(int(stream.total_out));
    deflateEnd(&stream);
    return ended ? buffer : QByteArray();
}

// A gzip stream of \a mebibytes MiB of zeros (about 1000:1), put together
// in milliseconds: after a full MiB the deflate state repeats, so do the
// bytes of every further MiB compressed with a sync flush.
QByteArray zerosStream(int mebibytes)
{
    const QByteArray zeros(1 << 20, '\0');
    z_stream stream{};
    deflateInit2(&stream, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    QByteArray buffer(1 << 16, Qt::Uninitialized);
    const auto compress = [&](const QByteArray &input, int flush) {
        stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(input.constData()));
        stream.avail_in = uInt(input.size());
        stream.next_out = reinterpret_cast<Bytef *>(buffer.data());
        stream.avail_out = uInt(buffer.size());
        deflate(&stream, flush);
        return buffer.left(buffer.size() - int(stream.avail_out));
    };
    const QByteArray first = compress(zeros, Z_SYNC_FLUSH);
    const QByteArray next = compress(zeros, Z_SYNC_FLUSH);
    const QByteArray last = compress(QByteArray(), Z_FINISH);
    deflateEnd(&stream);
    const uLong oneCrc = crc32(0, reinterpret_cast<const Bytef *>(zeros.constData()), uInt(zeros.size()));
    uLong crc = 0;
    QByteArray gzip("\x1f\x8b\x08\x00\x00\x00\x00\x00\x00\xff", 10);
    gzip += first;
    for (int i = 0; i < mebibytes; ++i) {
        if (i > 0)
            gzip += next;
        crc = crc32_combine(crc, oneCrc, zeros.size());
    }
    gzip += last;
    char trailer[8];
    qToLittleEndian(quint32(crc), trailer);
    qToLittleEndian(quint32(quint64(mebibytes) << 20), trailer + 4);
    return gzip + QByteArray(trailer, 8);
}

// The peak resident size of this process so far, in bytes.
qint64 peakResidentBytes()
{
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return qint64(usage.ru_maxrss) * 1024;
}

struct Run
{
    bool ok = false;
    QByteArray out;
    QByteArray err;
};

// Runs a program with \a input on its standard input.
Run run(const QString &program, const QStringList &arguments, const QByteArray &input)
{
    QProcess process;
    process.start(program, arguments);
    Run result;
    if (!process.waitForStarted(10000)) {
        result.err = "cannot start " + program.toLocal8Bit();
        return result;
    }
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(60000);
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    result.ok = process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    return result;
}

QString systemGzip()
{
    return QStandardPaths::findExecutable(QStringLiteral("gzip"),
                                          {QStringLiteral("/usr/bin"), QStringLiteral("/bin")});
}

// Debian's interpreter, whatever else is first on PATH.
const QString debianPython = QStringLiteral("/usr/bin/python3");

} // namespace

class tst_Gzip : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void streamFormat();
    void roundTripsOfEverySizeAndRatio_data();
    void roundTripsOfEverySizeAndRatio();
    void bombsBeyondTheLimitGiveEmpty();
    void otherFormatsAndDamageGiveEmpty();
    void onlyTheFirstMemberIsDecoded();
    void systemGzipReadsOurStreams();
    void pythonReadsOurStreams();
    void weReadSystemGzipAndPython();

private:
    QString m_gzip;
};

void tst_Gzip::initTestCase()
{
    m_gzip = systemGzip();
    QVERIFY2(!m_gzip.isEmpty(), "the interoperability checks need the system's gzip");
    QVERIFY2(QFileInfo::exists(debianPython), "the interoperability checks need /usr/bin/python3");
}

void tst_Gzip::streamFormat()
{
    const QByteArray text = prose(3000);
    const QByteArray packed = Basics::compressGzip(text);
    QVERIFY(packed.size() > 18);
    // Magic, deflate, no flags (no name, no comment), no modification time.
    QCOMPARE(packed.left(8), QByteArray("\x1f\x8b\x08\x00\x00\x00\x00\x00", 8));
    QCOMPARE(Basics::compressGzip(text), packed); // deterministic

    // The trailer: CRC-32 and length of the data, little-endian; decoding
    // checks each of them on its own.
    const QByteArray data = modestlyCompressible(6000);
    const QByteArray stream = Basics::compressGzip(data);
    const quint32 crc = quint32(crc32(0, reinterpret_cast<const Bytef *>(data.constData()), uInt(data.size())));
    const char *trailer = stream.constData() + stream.size() - 8;
    QCOMPARE(qFromLittleEndian<quint32>(trailer), crc);
    QCOMPARE(qFromLittleEndian<quint32>(trailer + 4), quint32(data.size()));
    QCOMPARE(Basics::decompressGzip(stream), data);
    QByteArray wrongCrc = stream;
    qToLittleEndian(crc ^ 0x80000000u, wrongCrc.data() + wrongCrc.size() - 8);
    QVERIFY(Basics::decompressGzip(wrongCrc).isEmpty());
    QByteArray wrongLength = stream;
    qToLittleEndian(quint32(data.size() + 1), wrongLength.data() + wrongLength.size() - 4);
    QVERIFY(Basics::decompressGzip(wrongLength).isEmpty());
}

void tst_Gzip::roundTripsOfEverySizeAndRatio_data()
{
    QTest::addColumn<QByteArray>("data");
    // Ratios from 1:1 (random bytes) over 1.3:1 (Base64) and 5:1 (text) to
    // 1000:1 (zeros), sizes from 0 bytes to 100 MB. The old rule gave nothing
    // for the empty, short and incompressible inputs.
    QTest::newRow("0 bytes") << QByteArray();
    QTest::newRow("3 bytes") << QByteArray("abc");
    for (int size : {1000, 4000, 100000, 1 << 20}) {
        QTest::addRow("%d random bytes", size) << randomBytes(size, quint32(size));
        QTest::addRow("%d bytes of Base64", size) << modestlyCompressible(size);
        QTest::addRow("%d bytes of text", size) << prose(size);
        QTest::addRow("%d zeros", size) << QByteArray(size, '\0');
    }
    QTest::newRow("65537 random bytes") << randomBytes(65537, 3);
    QTest::newRow("16 MiB random bytes") << randomBytes(16 << 20, 9);
    QTest::newRow("100 MB of text") << prose(100000000);
}

void tst_Gzip::roundTripsOfEverySizeAndRatio()
{
    // Wherever the old buffer of n + n / 100 + 12 bytes held the stream, the
    // bytes are the same; the system's gzip reads every stream.
    QFETCH(QByteArray, data);
    const QByteArray packed = Basics::compressGzip(data);
    const QByteArray reference = singleBufferReference(data);
    if (!reference.isEmpty())
        QCOMPARE(packed, reference);
    QCOMPARE(Basics::decompressGzip(packed), data);
    const Run system = run(m_gzip, {QStringLiteral("-d"), QStringLiteral("-c")}, packed);
    QVERIFY2(system.ok, system.err.constData());
    QCOMPARE(system.out, data);
}

void tst_Gzip::bombsBeyondTheLimitGiveEmpty()
{
    // 1 MB of stream that claims nothing and expands past 1 GiB: empty, and
    // the memory stays near the limit (the output doubles only when full of
    // real data).
    const qint64 before = peakResidentBytes();
    const QByteArray bomb = zerosStream(1025);
    QVERIFY(bomb.size() < 1100000);
    QVERIFY(Basics::decompressGzip(bomb).isEmpty());
    QVERIFY2(peakResidentBytes() - before < (qint64(2) << 30),
             qPrintable(QString::number(peakResidentBytes() - before)));

    // Exactly 1 GiB is still data (which also shows the stream is sound).
    const QByteArray limit = Basics::decompressGzip(zerosStream(1024));
    QCOMPARE(limit.size(), 1 << 30);
}

void tst_Gzip::otherFormatsAndDamageGiveEmpty()
{
    const QByteArray data = modestlyCompressible(8000);
    const QByteArray packed = Basics::compressGzip(data);
    QVERIFY(!Basics::decompressGzip(packed).isEmpty());

    QVERIFY(Basics::decompressGzip(QByteArray()).isEmpty());
    QVERIFY(Basics::decompressGzip(data).isEmpty());
    QVERIFY(Basics::decompressGzip(qCompress(data).mid(4)).isEmpty()); // zlib wrapper
    QVERIFY(Basics::decompressGzip(packed.mid(10, packed.size() - 18)).isEmpty()); // raw deflate
    for (int cut : {1, 4, 8, 100, packed.size() / 2, 10})
        QVERIFY2(Basics::decompressGzip(packed.left(packed.size() - cut)).isEmpty(),
                 qPrintable(QStringLiteral("cut %1").arg(cut)));
    QByteArray badCrc = packed;
    badCrc[badCrc.size() - 8] = char(badCrc.at(badCrc.size() - 8) ^ 1);
    QVERIFY(Basics::decompressGzip(badCrc).isEmpty());
    QByteArray badLength = packed;
    badLength[badLength.size() - 4] = char(badLength.at(badLength.size() - 4) ^ 1);
    QVERIFY(Basics::decompressGzip(badLength).isEmpty());
    QByteArray badData = packed;
    badData[packed.size() / 2] = char(badData.at(packed.size() / 2) ^ 0x55);
    QVERIFY(Basics::decompressGzip(badData).isEmpty());
}

void tst_Gzip::onlyTheFirstMemberIsDecoded()
{
    const QByteArray first = modestlyCompressible(3000);
    const QByteArray second = modestlyCompressible(2000);
    const QByteArray packed = Basics::compressGzip(first);
    QCOMPARE(Basics::decompressGzip(packed + "trailing garbage"), first);
    QCOMPARE(Basics::decompressGzip(packed + Basics::compressGzip(second)), first);
}

void tst_Gzip::systemGzipReadsOurStreams()
{
    const QByteArray text = prose(50000);
    const Run result = run(m_gzip, {QStringLiteral("-d"), QStringLiteral("-c")},
                           Basics::compressGzip(text));
    QVERIFY2(result.ok, result.err.constData());
    QCOMPARE(result.out, text);
    // gzip -t finds nothing wrong either.
    QVERIFY(run(m_gzip, {QStringLiteral("-t")}, Basics::compressGzip(randomBytes(5000, 4))).ok);
}

void tst_Gzip::pythonReadsOurStreams()
{
    const QByteArray data = randomBytes(30000, 5) + prose(30000);
    const Run result = run(debianPython,
                           {QStringLiteral("-c"),
                            QStringLiteral("import gzip, sys; "
                                           "sys.stdout.buffer.write(gzip.decompress(sys.stdin.buffer.read()))")},
                           Basics::compressGzip(data));
    QVERIFY2(result.ok, result.err.constData());
    QCOMPARE(result.out, data);
}

void tst_Gzip::weReadSystemGzipAndPython()
{
    const QByteArray data = modestlyCompressible(40000) + prose(400000);
    for (const QString &level : {QStringLiteral("-1"), QStringLiteral("-9")}) {
        const Run packed = run(m_gzip, {QStringLiteral("-c"), level}, data);
        QVERIFY2(packed.ok, packed.err.constData());
        QCOMPARE(Basics::decompressGzip(packed.out), data);
    }
    // Python writes a modification time and may add a file name.
    const Run packed = run(debianPython,
                           {QStringLiteral("-c"),
                            QStringLiteral("import gzip, io, sys\n"
                                           "out = io.BytesIO()\n"
                                           "with gzip.GzipFile(filename='lens.txt', mode='wb', "
                                           "fileobj=out, mtime=1700000000) as f:\n"
                                           "    f.write(sys.stdin.buffer.read())\n"
                                           "sys.stdout.buffer.write(out.getvalue())")},
                           data);
    QVERIFY2(packed.ok, packed.err.constData());
    QVERIFY(packed.out.contains("lens.txt"));
    QCOMPARE(Basics::decompressGzip(packed.out), data);
}

QTEST_GUILESS_MAIN(tst_Gzip)
#include "tst_gzip.moc"
