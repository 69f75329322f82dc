// Gzip framing: the single-pass size rules, failures as empty results, and
// interoperability with the system's gzip and Python's gzip module.

#include <Basics/basics.h>

#include "testsupport/randombytes.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QtTest>

#include <zlib.h>

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
    void outputMustFitTheSingleBuffer();
    void streamFormat();
    void roundTripWhenTheDataIsAtMostTwiceItsStream();
    void decodedDataMustFitTwiceTheInput();
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

void tst_Gzip::outputMustFitTheSingleBuffer()
{
    // The 20-byte stream of nothing does not fit into 0 + 0 + 12 bytes.
    QVERIFY(Basics::compressGzip(QByteArray()).isEmpty());
    QVERIFY(Basics::compressGzip("abc").isEmpty());
    // Incompressible data fits only from about 1100 bytes on (stored blocks
    // cost 18 + 5 bytes; the budget grows by 1 per 100).
    QVERIFY(Basics::compressGzip(randomBytes(1000, 1)).isEmpty());
    const QByteArray noise = randomBytes(4000, 2);
    const QByteArray stored = Basics::compressGzip(noise);
    QVERIFY(!stored.isEmpty());
    QVERIFY(stored.size() <= 4000 + 40 + 12);
    // A few kilobytes of text compress well.
    const QByteArray text = prose(4000);
    const QByteArray packed = Basics::compressGzip(text);
    QVERIFY(!packed.isEmpty());
    QVERIFY(packed.size() < text.size() / 3);
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

void tst_Gzip::roundTripWhenTheDataIsAtMostTwiceItsStream()
{
    for (int size : {1200, 5000, 100000, 1 << 20}) {
        const QByteArray data = modestlyCompressible(size);
        const QByteArray packed = Basics::compressGzip(data);
        QVERIFY(!packed.isEmpty());
        QVERIFY2(data.size() <= 2 * packed.size(), "test data compresses too well");
        QCOMPARE(Basics::decompressGzip(packed), data);
    }
    const QByteArray noise = randomBytes(70000, 3);
    QCOMPARE(Basics::decompressGzip(Basics::compressGzip(noise)), noise);
}

void tst_Gzip::decodedDataMustFitTwiceTheInput()
{
    // Text compresses to well under half, so its own stream does not decode.
    const QByteArray text = prose(20000);
    const QByteArray packed = Basics::compressGzip(text);
    QVERIFY(text.size() > 2 * packed.size());
    QVERIFY(Basics::decompressGzip(packed).isEmpty());
    QVERIFY(Basics::decompressGzip(Basics::compressGzip(QByteArray(100000, 'a'))).isEmpty());
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
    const QByteArray data = modestlyCompressible(40000);
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
