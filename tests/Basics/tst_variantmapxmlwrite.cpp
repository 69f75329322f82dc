// Writing typed XML files atomically: the file is replaced as a whole, and a
// write that fails for any reason (no directory, read-only file or file
// system, file-size limit, full disk at any free size, a date ISO 8601
// cannot spell, a document beyond 1 GiB) leaves the previous file
// untouched; targets that are not regular files are written in place. Files
// beyond 1 GiB are refused on reading too.

#include <Basics/basics.h>

#include "scratchfilesystem.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <thread>

#ifdef Q_OS_LINUX
#include <sys/stat.h>
#endif

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

} // namespace

class tst_VariantMapXmlWrite : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void writeReplacesAtomically();
    void failedOpenKeepsThePreviousFile();
    void failedWriteKeepsThePreviousFile();
    void fullDiskKeepsThePreviousFile_data();
    void fullDiskKeepsThePreviousFile();
    void targetsThatAreNoFilesAreWrittenInPlace();
    void datesBeyondIsoYearsFailTheWrite();
    void documentsBeyondTheSizeLimit();

private:
    QTemporaryDir m_dir;
};

void tst_VariantMapXmlWrite::writeReplacesAtomically()
{
    const QString path = m_dir.filePath(QStringLiteral("replace.xml"));
    QVariantMap big;
    for (int i = 0; i < 1000; ++i)
        big.insert(QString::number(i), i);
    QVERIFY(Basics::writeVariantMapToXml(path, big));
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    const QString link = m_dir.filePath(QStringLiteral("replace-link.xml"));
    QVERIFY(QFile::link(path, link));

    // A shorter map through the link replaces the target completely; the link
    // stays a link and the target keeps its permissions.
    QVERIFY(Basics::writeVariantMapToXml(link, {{QStringLiteral("small"), true}}));
    QVERIFY(QFileInfo(link).isSymLink());
    const QFile::Permissions modeBits = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                        | QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup
                                        | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    QCOMPARE(QFileInfo(path).permissions() & modeBits,
             QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    QVariantMap read;
    QVERIFY(Basics::readVariantMapFromXml(path, &read));
    QCOMPARE(read, (QVariantMap{{QStringLiteral("small"), true}}));
    QCOMPARE(QDir(m_dir.path()).entryList({QStringLiteral("replace*")}, QDir::Files | QDir::Hidden | QDir::System).size(), 2);
}

void tst_VariantMapXmlWrite::failedOpenKeepsThePreviousFile()
{
    QString error;
    QVERIFY(!Basics::writeVariantMapToXml(m_dir.filePath(QStringLiteral("no/such/dir.xml")), {}, &error));
    QCOMPARE(error, QStringLiteral("Konnte Datei nicht zum Schreiben oeffnen: No such file or directory"));
    QVERIFY(!Basics::writeVariantMapToXml(m_dir.path(), {}, &error));
    QVERIFY2(error.startsWith(QLatin1String("Konnte Datei nicht zum Schreiben oeffnen: ")), qPrintable(error));
    QVERIFY(!Basics::writeVariantMapToXml(m_dir.path(), {}, nullptr));

    // A read-only directory and a read-only file: by permissions for a normal
    // user, by a read-only file system for root (who ignores permissions).
    const QVariantMap map{{QStringLiteral("new"), 1}};
    if (!runningAsRoot()) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("locked.xml"));
        QVERIFY(Basics::writeVariantMapToXml(path, {{QStringLiteral("old"), 1}}));
        const QByteArray before = readAll(path);
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner));
        QVERIFY(!Basics::writeVariantMapToXml(path, map, &error));
        QVERIFY2(error.startsWith(QLatin1String("Konnte Datei nicht zum Schreiben oeffnen: ")), qPrintable(error));
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
        QVERIFY(!Basics::writeVariantMapToXml(path, map, &error));
        QCOMPARE(error, QStringLiteral("Konnte Datei nicht zum Schreiben oeffnen: Permission denied"));
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QCOMPARE(readAll(path), before);
        return;
    }
    ScratchMount mount(64);
    if (!mount.mounted())
        QSKIP("running as root but cannot mount a tmpfs: read-only cases not checked");
    const QString path = mount.filePath(QStringLiteral("locked.xml"));
    QVERIFY(Basics::writeVariantMapToXml(path, {{QStringLiteral("old"), 1}}));
    const QByteArray before = readAll(path);
    QVERIFY(mount.makeReadOnly());
    QVERIFY(!Basics::writeVariantMapToXml(path, map, &error));
    QVERIFY2(error.startsWith(QLatin1String("Konnte Datei nicht zum Schreiben oeffnen: ")), qPrintable(error));
    QCOMPARE(readAll(path), before);
    QVERIFY(!Basics::writeVariantMapToXml(mount.filePath(QStringLiteral("new.xml")), map, &error));
    QCOMPARE(error, QStringLiteral("Konnte Datei nicht zum Schreiben oeffnen: Read-only file system"));
    QCOMPARE(mount.entries(), QStringList{QStringLiteral("locked.xml")});
}

void tst_VariantMapXmlWrite::failedWriteKeepsThePreviousFile()
{
    QVariantMap big;
    for (int i = 0; i < 4000; ++i)
        big.insert(QStringLiteral("entry %1").arg(i), QStringLiteral("value %1").arg(i).repeated(8));
    const QVariantMap old{{QStringLiteral("old"), QStringLiteral("file")}};

    // Writes past a file-size limit fail with EFBIG.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("limited.xml"));
    QVERIFY(Basics::writeVariantMapToXml(path, old));
    const QByteArray before = readAll(path);
    QString error;
    {
        FileSizeLimit limit(64 * 1024);
        QVERIFY(limit.active());
        QVERIFY(!Basics::writeVariantMapToXml(path, big, &error));
    }
    QCOMPARE(error, QStringLiteral("Fehler beim Schreiben des XML-Streams."));
    QCOMPARE(readAll(path), before);
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("limited.xml")});
}

void tst_VariantMapXmlWrite::fullDiskKeepsThePreviousFile_data()
{
    QTest::addColumn<int>("entries");
    QTest::addColumn<int>("freeKiB");
    // From a few bytes to a few megabytes, on a disk full up to a few pages
    // or a megabyte. The smallest outputs fail only in the last flush.
    const int rows[][2] = {{1, 0},     {1, 4},      {100, 0},      {100, 8},      {100, 64},
                           {2000, 8},  {2000, 64},  {2000, 1024},  {40000, 1024}, {40000, 6144}};
    for (const auto &row : rows)
        QTest::addRow("%d entries, %d KiB free", row[0], row[1]) << row[0] << row[1];
}

void tst_VariantMapXmlWrite::fullDiskKeepsThePreviousFile()
{
    QFETCH(int, entries);
    QFETCH(int, freeKiB);
    QVariantMap map;
    for (int i = 0; i < entries; ++i)
        map.insert(QStringLiteral("entry %1").arg(i), QStringLiteral("value %1").arg(i));
    // The document as it is written where there is room.
    const QString reference = m_dir.filePath(QStringLiteral("reference.xml"));
    QVERIFY(Basics::writeVariantMapToXml(reference, map));
    const QByteArray expected = readAll(reference);

    ScratchMount mount(8192);
    if (!mount.mounted())
        QSKIP("cannot mount a small tmpfs here: full-disk cases not checked");
    const QString path = mount.filePath(QStringLiteral("full.xml"));
    QVERIFY(Basics::writeVariantMapToXml(path, {{QStringLiteral("old"), QStringLiteral("file")}}));
    const QByteArray before = readAll(path);
    {
        // Fill the disk up, then give back what the row leaves free.
        QFile filler(mount.filePath(QStringLiteral("filler")));
        QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        while (filler.write(QByteArray(64 * 1024, 'f')) == 64 * 1024) {
        }
        filler.close();
        QVERIFY(filler.resize(qMax<qint64>(0, (filler.size() & ~qint64(4095)) - freeKiB * qint64(1024))));
    }

    QString error;
    const bool written = Basics::writeVariantMapToXml(path, map, &error);
    if (expected.size() > freeKiB * qint64(1024))
        QVERIFY(!written);
    if (expected.size() + 8192 <= freeKiB * qint64(1024))
        QVERIFY2(written, qPrintable(error));
    QCOMPARE(readAll(path), written ? expected : before);
    QCOMPARE(error, written ? QString() : QStringLiteral("Fehler beim Schreiben des XML-Streams."));
    QCOMPARE(mount.entries(), (QStringList{QStringLiteral("filler"), QStringLiteral("full.xml")}));
}

void tst_VariantMapXmlWrite::targetsThatAreNoFilesAreWrittenInPlace()
{
#ifndef Q_OS_LINUX
    QSKIP("FIFOs are a Linux test here");
#else
    // A FIFO stays a FIFO: the document goes through it to its reader
    // instead of a regular file being renamed over it.
    const QVariantMap map{{QStringLiteral("through"), QStringLiteral("the pipe")}};
    const QString reference = m_dir.filePath(QStringLiteral("pipe-reference.xml"));
    QVERIFY(Basics::writeVariantMapToXml(reference, map));
    const QString fifo = m_dir.filePath(QStringLiteral("pipe"));
    QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    QByteArray received;
    std::thread reader([&] { received = readAll(fifo); });
    QString error;
    const bool written = Basics::writeVariantMapToXml(fifo, map, &error);
    reader.join();
    QVERIFY2(written, qPrintable(error));
    QCOMPARE(received, readAll(reference));
    QVERIFY(QFileInfo(fifo).exists() && !QFileInfo(fifo).isFile());
    QCOMPARE(QDir(m_dir.path()).entryList({QStringLiteral("pipe*")}, QDir::AllEntries | QDir::System | QDir::Hidden).size(), 2);
#endif
}

void tst_VariantMapXmlWrite::datesBeyondIsoYearsFailTheWrite()
{
    const QString path = m_dir.filePath(QStringLiteral("dates.xml"));
    const QVariantMap old{{QStringLiteral("old"), QDate(2020, 1, 1)}};
    QVERIFY(Basics::writeVariantMapToXml(path, old));
    const QByteArray before = readAll(path);

    // The toolkit's ISO text of these is empty: they would read back as
    // invalid dates.
    const QTime noon(12, 0);
    const QVariantList beyond{QDate(10000, 1, 1), QDate(-1, 12, 31), QDate(-4713, 1, 2),
                              QDateTime(QDate(12345, 6, 7), noon, Qt::UTC),
                              QDateTime(QDate(-50, 1, 1), noon)};
    for (const QVariant &value : beyond) {
        QString error;
        QVERIFY2(!Basics::writeVariantMapToXml(path, {{QStringLiteral("d"), value}}, &error),
                 qPrintable(value.toString()));
        QCOMPARE(error, QStringLiteral("Fehler beim Schreiben des XML-Streams."));
        QVERIFY(!Basics::writeVariantMapToXml(
            path, {{QStringLiteral("l"), QVariantList{QVariantMap{{QStringLiteral("d"), value}}}}}));
        QCOMPARE(readAll(path), before);
    }

    // The years 1 and 9999 are spelled; invalid dates are written empty.
    const QVariantMap edges{{QStringLiteral("first"), QDate(1, 1, 1)},
                            {QStringLiteral("last"), QDateTime(QDate(9999, 12, 31), noon, Qt::UTC)},
                            {QStringLiteral("invalid"), QDate()},
                            {QStringLiteral("invalid time"), QDateTime()}};
    QVERIFY(Basics::writeVariantMapToXml(path, edges));
    QVariantMap read;
    QVERIFY(Basics::readVariantMapFromXml(path, &read));
    QCOMPARE(read, edges);
}

void tst_VariantMapXmlWrite::documentsBeyondTheSizeLimit()
{
    // One string of 64 Mi characters, held once and written 17 times: the
    // document would pass the 1 GiB the reader takes, so it is not written.
    const QString path = m_dir.filePath(QStringLiteral("huge.xml"));
    const QVariantMap old{{QStringLiteral("old"), QStringLiteral("file")}};
    QVERIFY(Basics::writeVariantMapToXml(path, old));
    const QByteArray before = readAll(path);
    {
        const QString chunk(64 << 20, QLatin1Char('a'));
        QVariantList list;
        for (int i = 0; i < 17; ++i)
            list.append(chunk);
        QString error;
        QVERIFY(!Basics::writeVariantMapToXml(path, {{QStringLiteral("list"), list}}, &error));
        QCOMPARE(error, QStringLiteral("Fehler beim Schreiben des XML-Streams."));
        QCOMPARE(readAll(path), before);
    }

    // A file beyond 1 GiB (sparse: nothing is written) is refused.
    const QString big = m_dir.filePath(QStringLiteral("big.xml"));
    {
        QFile file(big);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.write(before) == before.size());
        QVERIFY(file.resize((qint64(1) << 30) + 1));
    }
    QVariantMap map{{QStringLiteral("kept"), 1}};
    QString error;
    QVERIFY(!Basics::readVariantMapFromXml(big, &map, &error));
    QCOMPARE(error, QStringLiteral("Konnte Datei nicht zum Lesen oeffnen: File too large"));
    QCOMPARE(map, (QVariantMap{{QStringLiteral("kept"), 1}}));
    QVERIFY(QFile::remove(big));
}

QTEST_GUILESS_MAIN(tst_VariantMapXmlWrite)
#include "tst_variantmapxmlwrite.moc"
