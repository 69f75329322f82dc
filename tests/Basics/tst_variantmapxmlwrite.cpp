// Writing typed XML files atomically: the file is replaced as a whole, and a
// write that fails for any reason (no directory, read-only file or file
// system, file-size limit, full disk) leaves the previous file untouched.

#include <Basics/basics.h>

#include "scratchfilesystem.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

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
    {
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

    // A full file system.
    ScratchMount mount(64);
    if (!mount.mounted())
        QSKIP("cannot mount a small tmpfs here: full-disk case not checked");
    const QString path = mount.filePath(QStringLiteral("full.xml"));
    QVERIFY(Basics::writeVariantMapToXml(path, old));
    const QByteArray before = readAll(path);
    QString error;
    QVERIFY(!Basics::writeVariantMapToXml(path, big, &error));
    QCOMPARE(error, QStringLiteral("Fehler beim Schreiben des XML-Streams."));
    QCOMPARE(readAll(path), before);
    QCOMPARE(mount.entries(), QStringList{QStringLiteral("full.xml")});
    // Once there is room again, the same write succeeds.
    QVariantMap read;
    QVERIFY(Basics::writeVariantMapToXml(path, {{QStringLiteral("fits"), 1}}));
    QVERIFY(Basics::readVariantMapFromXml(path, &read));
    QCOMPARE(read.value(QStringLiteral("fits")), QVariant(1));
}

QTEST_GUILESS_MAIN(tst_VariantMapXmlWrite)
#include "tst_variantmapxmlwrite.moc"
