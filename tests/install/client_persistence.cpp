// Client of the installed package: typed XML files, settings groups, gzip
// framing, the text hash and the draws, checked against their documented
// results the way a tool would use them.

#include "clientcheck.h"

#include <BasicsDLL.h>
#include <Basics/basics.h>

#include <QCoreApplication>
#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTime>

#include <algorithm>
#include <cstring>

namespace {

QTemporaryDir *s_dir = nullptr;

QString path(const char *name)
{
    return s_dir->filePath(QString::fromLatin1(name));
}

bool writeText(const QString &file, const QByteArray &text)
{
    QFile out(file);
    return out.open(QIODevice::WriteOnly) && out.write(text) == text.size();
}

void xmlFiles()
{
    // An empty map is the root element alone.
    QVariantMap map;
    CLIENT_CHECK(Basics::writeVariantMapToXml(path("empty.xml"), map));
    QFile file(path("empty.xml"));
    CLIENT_CHECK(file.open(QIODevice::ReadOnly)
                 && file.readAll() == "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<QVariantMap type=\"map\"/>\n");
    map.insert(QStringLiteral("stale"), 1);
    CLIENT_CHECK(Basics::readVariantMapFromXml(path("empty.xml"), &map) && map.isEmpty());

    // Types, precision and the lost milliseconds.
    const QDateTime when(QDate(2024, 2, 29), QTime(12, 0, 1, 250), Qt::UTC);
    const QVariantMap nested{{QStringLiteral("inner"), QVariantList{QVariantMap{{QStringLiteral("x"), 1u}}}}};
    const QVariantMap written{{QStringLiteral("d"), 0.1},
                              {QStringLiteral("when"), when},
                              {QStringLiteral("t"), QTime(1, 2, 3, 4)},
                              {QStringLiteral("names"), QStringList{QStringLiteral("a"), QStringLiteral("b")}},
                              {QStringLiteral("f"), 1.5f},
                              {QStringLiteral("k\"&<"), nested}};
    CLIENT_CHECK(Basics::writeVariantMapToXml(path("types.xml"), written));
    QVariantMap read;
    QString error;
    CLIENT_CHECK(Basics::readVariantMapFromXml(path("types.xml"), &read, &error));
    const double d = read.value(QStringLiteral("d")).toDouble();
    const double tenth = 0.1;
    CLIENT_CHECK(std::memcmp(&d, &tenth, sizeof d) == 0);
    CLIENT_CHECK(read.value(QStringLiteral("when")).toDateTime() == when.addMSecs(-250));
    CLIENT_CHECK(read.value(QStringLiteral("t")).toTime() == QTime(1, 2, 3));
    CLIENT_CHECK(read.value(QStringLiteral("names")).userType() == QMetaType::QStringList);
    CLIENT_CHECK(read.value(QStringLiteral("f")) == QVariant(QStringLiteral("1.5")));
    CLIENT_CHECK(read.value(QStringLiteral("k\"&<")) == QVariant(nested));

    // Reading rules and errors; the map stays untouched on failure.
    CLIENT_CHECK(writeText(path("rules.xml"),
                           "<QVariantMap type=\"map\"><entry key=\"a\"><value type=\"int\">1</value></entry>"
                           "<entry key=\"a\"><value type=\"int\">2</value></entry><entry key=\"none\"/>"
                           "<entry key=\"u\"><value type=\"uservariant\">AAAAfwAAAAAFTm9uZQA=</value></entry>"
                           "</QVariantMap>"));
    CLIENT_CHECK(Basics::readVariantMapFromXml(path("rules.xml"), &read, nullptr));
    CLIENT_CHECK(read.value(QStringLiteral("a")) == QVariant(2));
    CLIENT_CHECK(read.contains(QStringLiteral("none")) && !read.value(QStringLiteral("none")).isValid());
    CLIENT_CHECK(read.contains(QStringLiteral("u")) && !read.value(QStringLiteral("u")).isValid());
    CLIENT_CHECK(writeText(path("notype.xml"), "<QVariantMap/>"));
    const QVariantMap before = read;
    CLIENT_CHECK(!Basics::readVariantMapFromXml(path("notype.xml"), &read, &error));
    CLIENT_CHECK(error == QLatin1String("Wurzelelement enthaelt keine QVariantMap."));
    CLIENT_CHECK(!Basics::readVariantMapFromXml(path("notype.xml"), &read, nullptr));
    CLIENT_CHECK(read == before);
    CLIENT_CHECK(!Basics::readVariantMapFromXml(path("types.xml"), nullptr, &error));
    CLIENT_CHECK(error == QLatin1String("Ungueltiger Ausgabe-Zeiger (map == 0)."));

    // A write that cannot succeed leaves the previous file as it was.
    CLIENT_CHECK(!Basics::writeVariantMapToXml(path("types.xml"), {{QStringLiteral("bad"), QStringLiteral("\x01")}},
                                               &error));
    CLIENT_CHECK(error == QLatin1String("Fehler beim Schreiben des XML-Streams."));
    CLIENT_CHECK(Basics::readVariantMapFromXml(path("types.xml"), &read) && read.size() == written.size());
}

void settingsGroups()
{
    QSettings settings(path("client.ini"), QSettings::IniFormat);
    settings.setValue(QStringLiteral("tool/kept"), QStringLiteral("yes"));
    settings.beginGroup(QStringLiteral("tool"));
    Basics::writeSettingsGroup(settings, {{QStringLiteral("a"), 1},
                                          {QStringLiteral("b"), QVariantMap{{QStringLiteral("c"), 2}}},
                                          {QStringLiteral("empty"), QVariantMap()}});
    settings.endGroup();
    settings.sync();
    CLIENT_CHECK(settings.allKeys()
                 == (QStringList{QStringLiteral("tool/a"), QStringLiteral("tool/b/c"), QStringLiteral("tool/kept")}));
    settings.beginGroup(QStringLiteral("tool"));
    const QVariantMap read = Basics::readSettingsGroup(settings);
    CLIENT_CHECK(read.keys() == (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("kept")}));
    CLIENT_CHECK(read.value(QStringLiteral("b")).toMap().value(QStringLiteral("c")).toInt() == 2);
}

void gzip()
{
    CLIENT_CHECK(Basics::decompressGzip(Basics::compressGzip("short")) == "short");
    QByteArray data;
    for (int i = 0; data.size() < 3000; ++i)
        data += QByteArray::number(i * 7919 % 10007, 36);
    const QByteArray packed = Basics::compressGzip(data);
    CLIENT_CHECK(packed.startsWith("\x1f\x8b\x08"));
    CLIENT_CHECK(Basics::decompressGzip(packed + "trailing") == data);
    CLIENT_CHECK(Basics::decompressGzip(qCompress(data).mid(4)).isEmpty());
    CLIENT_CHECK(Basics::decompressGzip(data).isEmpty());
}

void hashAndDraws()
{
    CLIENT_CHECK(Basics::myHash(QString()) == Q_UINT64_C(0x0d4b6b5eeea339da));
    QSet<int> set{1, 2};
    CLIENT_CHECK(Basics::lotto(5, 1, set) == 0 && set.isEmpty());
    CLIENT_CHECK(Basics::lotto(10, 3, set) == 3 && set == (QSet<int>{0, 1, 2}));
    QList<int> list{4};
    CLIENT_CHECK(Basics::lotto1(0, 10, list) == 0 && list.isEmpty());
    CLIENT_CHECK(Basics::lotto1(3, 3, list) == 3);
    std::sort(list.begin(), list.end());
    CLIENT_CHECK(list == (QList<int>{0, 1, 2}));
    CLIENT_CHECK(Basics::lotto1(3, 2000000000, list) == 3 && QSet<int>(list.begin(), list.end()).size() == 3);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    QTemporaryDir dir;
    CLIENT_CHECK(dir.isValid());
    s_dir = &dir;
    xmlFiles();
    settingsGroups();
    gzip();
    hashAndDraws();
    return CLIENT_RESULT();
}
