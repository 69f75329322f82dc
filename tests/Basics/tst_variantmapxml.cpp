// Typed XML files of a QVariantMap: the exact file layout, round trips of
// every type, the forgiving reading rules and the German error texts. The
// atomic replacement of files is tested in tst_variantmapxmlwrite.cpp.

#include <Basics/basics.h>

#include <QDataStream>
#include <QFile>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QTimeZone>
#include <QUrl>
#include <QtTest>

#ifdef Q_OS_LINUX
#include <sys/stat.h>
#endif

#include <cmath>
#include <cstring>
#include <limits>

namespace {

// An application type with stream operators, as a tool would register it.
struct LensId
{
    QString catalog;
    qint32 number = 0;
    bool operator==(const LensId &other) const
    {
        return catalog == other.catalog && number == other.number;
    }
};
QDataStream &operator<<(QDataStream &stream, const LensId &id)
{
    return stream << id.catalog << id.number;
}
QDataStream &operator>>(QDataStream &stream, LensId &id)
{
    return stream >> id.catalog >> id.number;
}

// An application type without stream operators.
struct Unstreamable
{
    int value = 0;
};

} // namespace

Q_DECLARE_METATYPE(LensId)
Q_DECLARE_METATYPE(Unstreamable)

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// Reads XML text through a file, as the library only reads files.
struct ReadResult
{
    bool ok = false;
    QVariantMap map;
    QString error;
};
ReadResult readText(const QTemporaryDir &dir, const QByteArray &xml)
{
    const QString path = dir.filePath(QStringLiteral("in.xml"));
    writeAll(path, xml);
    ReadResult result;
    result.ok = Basics::readVariantMapFromXml(path, &result.map, &result.error);
    return result;
}

QByteArray document(const QByteArray &rootContent)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<QVariantMap type=\"map\">" + rootContent
           + "</QVariantMap>\n";
}

QByteArray entry(const QByteArray &key, const QByteArray &type, const QByteArray &text)
{
    return "<entry key=\"" + key + "\"><value type=\"" + type + "\">" + text + "</value></entry>";
}

// The variant stream of a value claiming the given type number and name.
QString userVariantText(quint32 typeNumber, const char *typeName, const QByteArray &payload)
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream.setVersion(12);
    stream << typeNumber << qint8(0) << typeName;
    bytes += payload;
    return QString::fromLatin1(bytes.toBase64());
}

// \a text in \a codec, without the byte order mark the codec would add.
QByteArray withoutMark(const char *codec, const QString &text)
{
    QScopedPointer<QTextEncoder> encoder(
        QTextCodec::codecForName(codec)->makeEncoder(QTextCodec::IgnoreHeader));
    return encoder->fromUnicode(text);
}

QVariantMap sentinelMap()
{
    return QVariantMap{{QStringLiteral("untouched"), 42}};
}

} // namespace

class tst_VariantMapXml : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void fileLayout();
    void roundTripKeepsEveryType();
    void doublesReadBackBitIdentical_data();
    void doublesReadBackBitIdentical();
    void datesAndTimesLoseOnlyMilliseconds();
    void otherTypesAreWrittenAsText();
    void applicationTypes();
    void textsSurviveExactly();
    void textsXmlCannotHoldFailTheWrite();
    void forgivingReadingRules();
    void numbersThatDoNotParseReadAsZero();
    void readFailures_data();
    void readFailures();
    void readFailuresOutsideTheContent();
    void nestingDepthIsLimited();
    void encodingsAndLineEnds_data();
    void encodingsAndLineEnds();

private:
    QTemporaryDir m_dir;
};

void tst_VariantMapXml::initTestCase()
{
    QVERIFY(m_dir.isValid());
    qRegisterMetaTypeStreamOperators<LensId>("LensId");
    qRegisterMetaType<Unstreamable>("Unstreamable");
}

void tst_VariantMapXml::fileLayout()
{
    QVariantMap inner;
    inner.insert(QStringLiteral("z"), QStringList{QStringLiteral("s")});
    QVariantMap map;
    map.insert(QStringLiteral("b"), QVariantList{true, QVariant(), inner});
    map.insert(QStringLiteral("a"), 1);
    map.insert(QStringLiteral("k\"&<"), QStringLiteral("x<&>\"y"));
    map.insert(QStringLiteral("e"), QVariantMap());
    map.insert(QStringLiteral("f"), QByteArray("\x00\xff", 2));
    map.insert(QStringLiteral("g"), QString());
    map.insert(QStringLiteral("B"), 2.5);

    const QString path = m_dir.filePath(QStringLiteral("layout.xml"));
    QString error = QStringLiteral("not written");
    QVERIFY(Basics::writeVariantMapToXml(path, map, &error));
    QCOMPARE(error, QStringLiteral("not written")); // set only on failure
    const QByteArray expected =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<QVariantMap type=\"map\">\n"
        "  <entry key=\"B\">\n"
        "    <value type=\"double\">2.5</value>\n"
        "  </entry>\n"
        "  <entry key=\"a\">\n"
        "    <value type=\"int\">1</value>\n"
        "  </entry>\n"
        "  <entry key=\"b\">\n"
        "    <value type=\"list\">\n"
        "      <item type=\"bool\">true</item>\n"
        "      <item type=\"invalid\"/>\n"
        "      <item type=\"map\">\n"
        "        <entry key=\"z\">\n"
        "          <value type=\"stringlist\">\n"
        "            <item type=\"string\">s</item>\n"
        "          </value>\n"
        "        </entry>\n"
        "      </item>\n"
        "    </value>\n"
        "  </entry>\n"
        "  <entry key=\"e\">\n"
        "    <value type=\"map\"/>\n"
        "  </entry>\n"
        "  <entry key=\"f\">\n"
        "    <value type=\"bytearray\">AP8=</value>\n"
        "  </entry>\n"
        "  <entry key=\"g\">\n"
        "    <value type=\"string\"/>\n"
        "  </entry>\n"
        "  <entry key=\"k&quot;&amp;&lt;\">\n"
        "    <value type=\"string\">x&lt;&amp;&gt;&quot;y</value>\n"
        "  </entry>\n"
        "</QVariantMap>\n";
    QCOMPARE(readAll(path), expected);

    // An empty map is the root element alone.
    QVERIFY(Basics::writeVariantMapToXml(path, QVariantMap()));
    QCOMPARE(readAll(path), QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                       "<QVariantMap type=\"map\"/>\n"));
    QVariantMap read = sentinelMap();
    QVERIFY(Basics::readVariantMapFromXml(path, &read));
    QVERIFY(read.isEmpty());
}

void tst_VariantMapXml::roundTripKeepsEveryType()
{
    QVariantMap deepest{{QStringLiteral("n"), qlonglong(-5)}};
    QVariantMap map;
    map.insert(QStringLiteral("invalid"), QVariant());
    map.insert(QStringLiteral("bool"), false);
    map.insert(QStringLiteral("int"), std::numeric_limits<int>::min());
    map.insert(QStringLiteral("uint"), std::numeric_limits<uint>::max());
    map.insert(QStringLiteral("longlong"), std::numeric_limits<qlonglong>::min());
    map.insert(QStringLiteral("ulonglong"), std::numeric_limits<qulonglong>::max());
    map.insert(QStringLiteral("double"), 0.1);
    map.insert(QStringLiteral("string"), QStringLiteral("Linse \u00e4\u00df \U0001F52D"));
    map.insert(QStringLiteral("stringlist"),
               QStringList{QStringLiteral("a"), QString(), QStringLiteral("c")});
    map.insert(QStringLiteral("bytearray"), QByteArray("\x00\x01\x02\xfe\xff", 5));
    map.insert(QStringLiteral("date"), QDate(2023, 12, 31));
    map.insert(QStringLiteral("time"), QTime(23, 59, 58));
    map.insert(QStringLiteral("datetime"), QDateTime(QDate(2024, 2, 29), QTime(12, 0, 1), Qt::UTC));
    map.insert(QStringLiteral("list"),
               QVariantList{1, QStringLiteral("two"),
                            QVariantMap{{QStringLiteral("inner"),
                                         QVariantList{deepest, QVariantList()}}}});
    map.insert(QStringLiteral("emptymap"), QVariantMap());
    map.insert(QString(), QStringLiteral("empty key"));

    const QString path = m_dir.filePath(QStringLiteral("all.xml"));
    QVERIFY(Basics::writeVariantMapToXml(path, map));
    QVariantMap read;
    QString error;
    QVERIFY2(Basics::readVariantMapFromXml(path, &read, &error), qPrintable(error));
    QCOMPARE(read.keys(), map.keys());
    for (auto it = map.constBegin(); it != map.constEnd(); ++it) {
        QCOMPARE(read.value(it.key()).userType(), it.value().userType());
        QCOMPARE(read.value(it.key()), it.value());
    }
    const QVariantMap inner = read.value(QStringLiteral("list")).toList().at(2).toMap();
    QCOMPARE(inner.value(QStringLiteral("inner")).toList().at(0).toMap().value(QStringLiteral("n")).userType(),
             int(QMetaType::LongLong));
}

void tst_VariantMapXml::doublesReadBackBitIdentical_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("0.1") << 0.1 << "0.10000000000000001";
    QTest::newRow("third") << 1.0 / 3.0 << "0.33333333333333331";
    QTest::newRow("integral") << 100.0 << "100";
    QTest::newRow("negative zero") << -0.0 << "-0";
    QTest::newRow("max") << std::numeric_limits<double>::max() << "1.7976931348623157e+308";
    QTest::newRow("denormal") << std::numeric_limits<double>::denorm_min() << "4.9406564584124654e-324";
    QTest::newRow("small") << 1e-7 << "9.9999999999999995e-08";
    QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << "inf";
    QTest::newRow("minus infinity") << -std::numeric_limits<double>::infinity() << "-inf";
    QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << "nan";
}

void tst_VariantMapXml::doublesReadBackBitIdentical()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    const QString path = m_dir.filePath(QStringLiteral("double.xml"));
    QVERIFY(Basics::writeVariantMapToXml(path, {{QStringLiteral("d"), value}}));
    QVERIFY(readAll(path).contains("<value type=\"double\">" + text.toLatin1() + "</value>"));
    QVariantMap read;
    QVERIFY(Basics::readVariantMapFromXml(path, &read));
    const double back = read.value(QStringLiteral("d")).toDouble();
    QCOMPARE(read.value(QStringLiteral("d")).userType(), int(QMetaType::Double));
    QVERIFY(std::memcmp(&back, &value, sizeof value) == 0 || (std::isnan(back) && std::isnan(value)));
}

void tst_VariantMapXml::datesAndTimesLoseOnlyMilliseconds()
{
    const QDateTime local(QDate(2021, 7, 4), QTime(9, 8, 7, 654), Qt::LocalTime);
    const QDateTime utc(QDate(1999, 12, 31), QTime(23, 59, 59, 999), Qt::UTC);
    const QDateTime offset(QDate(2000, 1, 1), QTime(1, 2, 3, 4), Qt::OffsetFromUTC, 5400);
    QVariantMap map{{QStringLiteral("local"), local},
                    {QStringLiteral("utc"), utc},
                    {QStringLiteral("offset"), offset},
                    {QStringLiteral("time"), QTime(1, 2, 3, 456)},
                    {QStringLiteral("nodate"), QDate()},
                    {QStringLiteral("notime"), QTime()},
                    {QStringLiteral("nodatetime"), QDateTime()}};
    const QString path = m_dir.filePath(QStringLiteral("dates.xml"));
    QVERIFY(Basics::writeVariantMapToXml(path, map));
    const QByteArray xml = readAll(path);
    QVERIFY(xml.contains(">2021-07-04T09:08:07</value>"));
    QVERIFY(xml.contains(">1999-12-31T23:59:59Z</value>"));
    QVERIFY(xml.contains(">2000-01-01T01:02:03+01:30</value>"));
    QVERIFY(xml.contains("<value type=\"time\">01:02:03</value>"));
    QVERIFY(xml.contains("<value type=\"date\"/>"));
    QVERIFY(xml.contains("<value type=\"datetime\"/>"));

    QVariantMap read;
    QVERIFY(Basics::readVariantMapFromXml(path, &read));
    QCOMPARE(read.value(QStringLiteral("local")).toDateTime(), local.addMSecs(-654));
    QCOMPARE(read.value(QStringLiteral("utc")).toDateTime(), utc.addMSecs(-999));
    QCOMPARE(read.value(QStringLiteral("utc")).toDateTime().timeSpec(), Qt::UTC);
    QCOMPARE(read.value(QStringLiteral("offset")).toDateTime(), offset.addMSecs(-4));
    QCOMPARE(read.value(QStringLiteral("offset")).toDateTime().offsetFromUtc(), 5400);
    QCOMPARE(read.value(QStringLiteral("time")).toTime(), QTime(1, 2, 3));
    QCOMPARE(read.value(QStringLiteral("nodate")).userType(), int(QMetaType::QDate));
    QVERIFY(!read.value(QStringLiteral("nodate")).toDate().isValid());
    QVERIFY(!read.value(QStringLiteral("notime")).toTime().isValid());
    QVERIFY(!read.value(QStringLiteral("nodatetime")).toDateTime().isValid());
}

void tst_VariantMapXml::otherTypesAreWrittenAsText()
{
    QVariantHash hash{{QStringLiteral("x"), 1}};
    QVariantMap map{{QStringLiteral("float"), 1.5f},
                    {QStringLiteral("char"), QVariant::fromValue(QChar(u'Q'))},
                    {QStringLiteral("hash"), hash},
                    {QStringLiteral("url"), QUrl(QStringLiteral("https://example.org/a b"))}};
    const QString path = m_dir.filePath(QStringLiteral("other.xml"));
    QVERIFY(Basics::writeVariantMapToXml(path, map));
    const QByteArray xml = readAll(path);
    QVERIFY(xml.contains("<value type=\"string\">1.5</value>"));
    QVERIFY(xml.contains("<value type=\"string\">Q</value>"));
    QVERIFY(xml.contains("<entry key=\"hash\">\n    <value type=\"string\"/>"));
    QVariantMap read;
    QVERIFY(Basics::readVariantMapFromXml(path, &read));
    for (const QVariant &value : qAsConst(read))
        QCOMPARE(value.userType(), int(QMetaType::QString));
    QCOMPARE(read.value(QStringLiteral("float")).toString(), QStringLiteral("1.5"));
    QCOMPARE(read.value(QStringLiteral("hash")).toString(), QString());
    QCOMPARE(read.value(QStringLiteral("url")).toString(), QStringLiteral("https://example.org/a b"));
}

void tst_VariantMapXml::applicationTypes()
{
    const LensId lens{QStringLiteral("N-BK7"), 517642};
    QVariantMap map{{QStringLiteral("lens"), QVariant::fromValue(lens)},
                    {QStringLiteral("plain"), QVariant::fromValue(Unstreamable{7})}};
    const QString path = m_dir.filePath(QStringLiteral("user.xml"));
    QVERIFY(Basics::writeVariantMapToXml(path, map));
    const QByteArray xml = readAll(path);
    QVERIFY(xml.contains("<value type=\"uservariant\" typeName=\"LensId\">"));
    // A type that cannot be streamed falls back to its (empty) text.
    QVERIFY(xml.contains("<entry key=\"plain\">\n    <value type=\"string\"/>"));
    QVariantMap read;
    QVERIFY(Basics::readVariantMapFromXml(path, &read));
    QCOMPARE(read.value(QStringLiteral("lens")).userType(), qMetaTypeId<LensId>());
    QCOMPARE(read.value(QStringLiteral("lens")).value<LensId>(), lens);
    QCOMPARE(read.value(QStringLiteral("plain")).userType(), int(QMetaType::QString));

    // A type this program has not registered, and data claiming one of the
    // toolkit's own types, read as invalid values without an error.
    QByteArray payload;
    {
        QDataStream stream(&payload, QIODevice::WriteOnly);
        stream << QString(QStringLiteral("x")) << qint32(1);
    }
    const QString unknown = userVariantText(127, "SomeoneElses::Type", payload);
    const QString pixmap = userVariantText(127, "QPixmap", payload);
    const QString image = userVariantText(69, "", payload);
    const QString truncated = userVariantText(127, "LensId", QByteArray("\x00", 1));
    const ReadResult result = readText(
        m_dir, document(entry("unknown", "uservariant", unknown.toLatin1())
                        + entry("pixmap", "uservariant", pixmap.toLatin1())
                        + entry("image", "uservariant", image.toLatin1())
                        + entry("truncated", "uservariant", truncated.toLatin1())
                        + entry("garbage", "uservariant", "!!!")));
    QVERIFY2(result.ok, qPrintable(result.error));
    QCOMPARE(result.map.size(), 5);
    for (const QVariant &value : result.map)
        QVERIFY(!value.isValid());
}

void tst_VariantMapXml::textsSurviveExactly()
{
    const QString tricky = QStringLiteral("  lead\ttab\nline\r\nwindows\rmac ]]> &amp; <x/> trail  ");
    QVariantMap map{{tricky, tricky},
                    {QStringLiteral("list"), QStringList{tricky, QStringLiteral("\r")}},
                    {QStringLiteral("cr"), QStringLiteral("\r")}};
    const QString path = m_dir.filePath(QStringLiteral("texts.xml"));
    QVERIFY(Basics::writeVariantMapToXml(path, map));
    QVariantMap read;
    QVERIFY(Basics::readVariantMapFromXml(path, &read));
    QCOMPARE(read, map);
}

void tst_VariantMapXml::textsXmlCannotHoldFailTheWrite()
{
    const QString path = m_dir.filePath(QStringLiteral("unwritable-text.xml"));
    QVERIFY(Basics::writeVariantMapToXml(path, {{QStringLiteral("ok"), 1}}));
    const QByteArray before = readAll(path);

    const QList<QVariantMap> maps{
        {{QStringLiteral("bell"), QStringLiteral("a\x07")}},
        {{QStringLiteral("nul key \u0000"), 1}},
        {{QStringLiteral("lone"), QString(QChar(0xD800))}},
        {{QStringLiteral("nested"),
          QVariantList{QStringList{QStringLiteral("ok"), QString(QChar(0xFFFF))}}}}};
    for (const QVariantMap &map : maps) {
        QString error;
        QVERIFY(!Basics::writeVariantMapToXml(path, map, &error));
        QCOMPARE(error, QStringLiteral("Fehler beim Schreiben des XML-Streams."));
        QCOMPARE(readAll(path), before);
    }
    QCOMPARE(QDir(m_dir.path()).entryList({QStringLiteral("unwritable-text.xml*")}, QDir::Files | QDir::Hidden).size(), 1);

    // A file in another declared encoding can decode to such a text (here
    // UTF-7 to an unpaired surrogate): it reads, but does not write back.
    const ReadResult utf7 = readText(m_dir, "<?xml version=\"1.0\" encoding=\"UTF-7\"?>"
                                            "<QVariantMap type=\"map\"><entry key=\"a\">"
                                            "<value type=\"string\">+2KM-</value></entry></QVariantMap>");
    QVERIFY2(utf7.ok, qPrintable(utf7.error));
    QCOMPARE(utf7.map.value(QStringLiteral("a")).toString(), QString(QChar(0xD8A3)));
    QString error;
    QVERIFY(!Basics::writeVariantMapToXml(path, utf7.map, &error));
    QCOMPARE(error, QStringLiteral("Fehler beim Schreiben des XML-Streams."));
    QCOMPARE(readAll(path), before);
}

void tst_VariantMapXml::forgivingReadingRules()
{
    const ReadResult result = readText(
        m_dir,
        "<?xml version=\"1.0\"?>\n<!-- comment -->\n<QVariantMap type=\"map\">text is ignored"
        "<unknown><entry key=\"hidden\"><value type=\"int\">1</value></entry></unknown>"
        "<entry key=\"last\"><value type=\"int\">1</value><junk/><value type=\"int\">2</value></entry>"
        "<entry key=\"dup\"><value type=\"int\">1</value></entry>"
        "<entry key=\"dup\"><value type=\"string\">later</value></entry>"
        "<entry key=\"novalue\"><other type=\"int\">3</other></entry>"
        "<entry><value type=\"int\">4</value></entry>"
        "<entry key=\"unknowntype\"><value type=\"Float\">1.5</value></entry>"
        "<entry key=\"notype\"><value>plain</value></entry>"
        "<entry key=\"bool\"><value type=\"list\"><item type=\"bool\">TRUE</item>"
        "<item type=\"bool\">1</item><item type=\"bool\">true</item><skipped/></value></entry>"
        "<entry key=\"strings\"><value type=\"stringlist\"><item type=\"int\">5</item>"
        "<item type=\"bool\">true</item><item type=\"map\"/><item>x</item></value></entry>"
        "<entry key=\"invalid\"><value type=\"invalid\">ignored text</value></entry>"
        "<entry key=\"base64\"><value type=\"bytearray\">QU*J#D\nRA==</value></entry>"
        "</QVariantMap>\n<after>not read<");
    QVERIFY2(result.ok, qPrintable(result.error));
    const QVariantMap &map = result.map;
    QVERIFY(!map.contains(QStringLiteral("hidden")));
    QCOMPARE(map.value(QStringLiteral("last")), QVariant(2));
    QCOMPARE(map.value(QStringLiteral("dup")), QVariant(QStringLiteral("later")));
    QVERIFY(map.contains(QStringLiteral("novalue")));
    QVERIFY(!map.value(QStringLiteral("novalue")).isValid());
    QCOMPARE(map.value(QString()), QVariant(4));
    QCOMPARE(map.value(QStringLiteral("unknowntype")), QVariant(QStringLiteral("1.5")));
    QCOMPARE(map.value(QStringLiteral("notype")), QVariant(QStringLiteral("plain")));
    QCOMPARE(map.value(QStringLiteral("bool")), QVariant(QVariantList{false, false, true}));
    QCOMPARE(map.value(QStringLiteral("strings")).userType(), int(QMetaType::QStringList));
    QCOMPARE(map.value(QStringLiteral("strings")).toStringList(),
             (QStringList{QStringLiteral("5"), QStringLiteral("true"), QString(), QStringLiteral("x")}));
    QVERIFY(map.contains(QStringLiteral("invalid")));
    QVERIFY(!map.value(QStringLiteral("invalid")).isValid());
    // Characters outside the Base64 alphabet are skipped, as the toolkit's
    // decoder does.
    QCOMPARE(map.value(QStringLiteral("base64")), QVariant(QByteArray("ABCD")));
    QCOMPARE(map.size(), 10);
}

void tst_VariantMapXml::numbersThatDoNotParseReadAsZero()
{
    const ReadResult result = readText(
        m_dir, document(entry("int", "int", "2147483648") + entry("intword", "int", "twelve")
                        + entry("uint", "uint", "-1") + entry("longlong", "longlong", "9223372036854775808")
                        + entry("ulonglong", "ulonglong", "18446744073709551616")
                        + entry("double", "double", "1e400") + entry("comma", "double", "1,5")
                        + entry("hex", "int", "0x10") + entry("date", "date", "2023-02-30")
                        + entry("time", "time", "25:00:00") + entry("datetime", "datetime", "soon")));
    QVERIFY2(result.ok, qPrintable(result.error));
    const QVariantMap &map = result.map;
    QCOMPARE(map.value(QStringLiteral("int")), QVariant(0));
    QCOMPARE(map.value(QStringLiteral("intword")), QVariant(0));
    QCOMPARE(map.value(QStringLiteral("hex")), QVariant(0));
    QCOMPARE(map.value(QStringLiteral("uint")), QVariant(0u));
    QCOMPARE(map.value(QStringLiteral("longlong")), QVariant(Q_INT64_C(0)));
    QCOMPARE(map.value(QStringLiteral("ulonglong")), QVariant(Q_UINT64_C(0)));
    QCOMPARE(map.value(QStringLiteral("double")), QVariant(0.0));
    QCOMPARE(map.value(QStringLiteral("comma")), QVariant(0.0));
    QCOMPARE(map.value(QStringLiteral("date")).userType(), int(QMetaType::QDate));
    QVERIFY(!map.value(QStringLiteral("date")).toDate().isValid());
    QVERIFY(!map.value(QStringLiteral("time")).toTime().isValid());
    QVERIFY(!map.value(QStringLiteral("datetime")).toDateTime().isValid());
}

void tst_VariantMapXml::readFailures_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<QString>("error");
    const QString parsing = QStringLiteral("XML-Parsingfehler: ");
    const QString empty = QStringLiteral("Leere oder ungueltige XML-Datei.");
    const QString noMap = QStringLiteral("Wurzelelement enthaelt keine QVariantMap.");
    QTest::newRow("empty file") << QByteArray() << empty;
    QTest::newRow("no element") << QByteArray("<?xml version=\"1.0\"?>\n<!-- only -->") << empty;
    QTest::newRow("plain text") << QByteArray("hello") << empty;
    QTest::newRow("malformed before root") << QByteArray("<?xml version=\"1.0\"?><<QVariantMap/>") << empty;
    QTest::newRow("other root") << QByteArray("<plist type=\"map\"/>")
                                << QStringLiteral("Unerwartetes Wurzelelement: plist");
    QTest::newRow("root without type") << QByteArray("<QVariantMap/>") << noMap;
    QTest::newRow("root with text") << QByteArray("<QVariantMap>text</QVariantMap>") << noMap;
    QTest::newRow("root of type list") << QByteArray("<QVariantMap type=\"list\"/>") << noMap;
    QTest::newRow("unclosed root") << QByteArray("<QVariantMap type=\"map\"><entry key=\"a\">")
                                   << parsing + "Premature end of document.";
    QTest::newRow("mismatched tag")
        << document("<entry key=\"a\"><value type=\"int\">1</valu></entry>")
        << parsing + "Opening and ending tag mismatch.";
    QTest::newRow("element inside scalar")
        << document(entry("a", "int", "1<b/>")) << parsing + "Expected character data.";
    QTest::newRow("element inside untyped value")
        << QByteArray("<QVariantMap type=\"map\"><entry key=\"a\"><value><x/></value></entry></QVariantMap>")
        << parsing + "Expected character data.";
    QTest::newRow("bad character reference")
        << document(entry("a", "string", "&#1;")) << parsing;
    QTest::newRow("undefined entity") << document(entry("a", "string", "&nope;")) << parsing;

    // Hostile input: no document type (entities), no element with more
    // attributes than the format uses, and whatever the encoding.
    const QString noDtd = parsing + "Document type declarations are not supported.";
    const QString attributes = parsing + "More than 2 attributes on one element.";
    QTest::newRow("entity declaration")
        << "<!DOCTYPE QVariantMap [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;\">]>"
           + document(entry("a", "string", "&b;&b;")) << noDtd;
    QTest::newRow("external document type")
        << QByteArray("<?xml version=\"1.0\"?><!-- <QVariantMap> --><!DOCTYPE x SYSTEM \"x.dtd\">")
               + document("") << noDtd;
    QTest::newRow("three attributes")
        << document("<entry key=\"a\" b=\"1\"><value type=\"int\" c='>' d=\"2\">1</value></entry>")
        << attributes;
    QByteArray many = "<QVariantMap type=\"map\"";
    for (int i = 0; i < 100000; ++i)
        many += " a" + QByteArray::number(i) + "=\"\"";
    many += "/>";
    QTest::newRow("100 000 attributes") << many << attributes;
    QTest::newRow("many attributes in UTF-16")
        << withoutMark("UTF-16LE", QString::fromLatin1(many)) << attributes;
    QTest::newRow("invalid UTF-8")
        << document(entry("a", "string", "Gr\xF6\xDF" "e")) << QStringLiteral("Die XML-Datei ist kein gueltiges UTF-8.");
}

void tst_VariantMapXml::readFailures()
{
    QFETCH(QByteArray, xml);
    QFETCH(QString, error);
    const QString path = m_dir.filePath(QStringLiteral("bad.xml"));
    QVERIFY(writeAll(path, xml));
    QVariantMap map = sentinelMap();
    QString message;
    QVERIFY(!Basics::readVariantMapFromXml(path, &map, &message));
    if (error.endsWith(QLatin1String(": ")))
        QVERIFY2(message.startsWith(error) && message.size() > error.size(), qPrintable(message));
    else
        QCOMPARE(message, error);
    QCOMPARE(map, sentinelMap());
    // Without an error string the result is the same.
    QVERIFY(!Basics::readVariantMapFromXml(path, &map, nullptr));
    QCOMPARE(map, sentinelMap());
}

void tst_VariantMapXml::readFailuresOutsideTheContent()
{
    const QString path = m_dir.filePath(QStringLiteral("good.xml"));
    QVERIFY(Basics::writeVariantMapToXml(path, {{QStringLiteral("a"), 1}}));

    QString error;
    QVERIFY(!Basics::readVariantMapFromXml(path, nullptr, &error));
    QCOMPARE(error, QStringLiteral("Ungueltiger Ausgabe-Zeiger (map == 0)."));
    QVERIFY(!Basics::readVariantMapFromXml(path, nullptr));

    QVariantMap map = sentinelMap();
    QVERIFY(!Basics::readVariantMapFromXml(m_dir.filePath(QStringLiteral("missing.xml")), &map, &error));
    QCOMPARE(error, QStringLiteral("Konnte Datei nicht zum Lesen oeffnen: No such file or directory"));
    QVERIFY(!Basics::readVariantMapFromXml(m_dir.path(), &map, &error));
    QCOMPARE(error, QStringLiteral("Konnte Datei nicht zum Lesen oeffnen: Is a directory"));
    QCOMPARE(map, sentinelMap());

#ifdef Q_OS_LINUX
    // Only regular files: a device never ends, a FIFO without a writer
    // would block the open for ever.
    const QString fifo = m_dir.filePath(QStringLiteral("fifo"));
    QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    for (const QString &special : {fifo, QStringLiteral("/dev/zero")}) {
        QVERIFY(!Basics::readVariantMapFromXml(special, &map, &error));
        QCOMPARE(error, QStringLiteral("Konnte Datei nicht zum Lesen oeffnen: Not a regular file"));
    }
    QCOMPARE(map, sentinelMap());
#endif
}

void tst_VariantMapXml::nestingDepthIsLimited()
{
    auto nested = [](int levels) {
        QByteArray xml = "<QVariantMap type=\"map\">";
        for (int i = 1; i < levels; ++i)
            xml += "<entry key=\"k\"><value type=\"list\"><item type=\"map\">";
        for (int i = 1; i < levels; ++i)
            xml += "</item></value></entry>";
        return xml + "</QVariantMap>";
    };
    // 256 maps and 255 lists in between are fine.
    ReadResult result = readText(m_dir, nested(256));
    QVERIFY2(result.ok, qPrintable(result.error));
    result = readText(m_dir, nested(300000));
    QVERIFY(!result.ok);
    QCOMPARE(result.error,
             QStringLiteral("XML-Parsingfehler: Maps and lists nested deeper than 512 levels."));

    // The writer refuses what the reader would refuse: 512 containers below
    // the root are not written at all, 511 are written and read back.
    const QString path = m_dir.filePath(QStringLiteral("deep.xml"));
    QVERIFY(Basics::writeVariantMapToXml(path, sentinelMap()));
    for (int levels : {512, 511}) {
        QVariant value = QStringList{QStringLiteral("innermost")};
        for (int i = 1; i < levels; ++i)
            value = i % 2 ? QVariant(QVariantList{value}) : QVariant(QVariantMap{{QStringLiteral("k"), value}});
        const QVariantMap map{{QStringLiteral("k"), value}};
        QString error;
        QCOMPARE(Basics::writeVariantMapToXml(path, map, &error), levels == 511);
        QCOMPARE(error, levels == 511 ? QString() : QStringLiteral("Fehler beim Schreiben des XML-Streams."));
        QVariantMap back;
        QVERIFY(Basics::readVariantMapFromXml(path, &back));
        QCOMPARE(back, levels == 511 ? map : sentinelMap());
    }
}

void tst_VariantMapXml::encodingsAndLineEnds_data()
{
    QTest::addColumn<QByteArray>("codec");
    QTest::addColumn<bool>("byteOrderMark");
    QTest::addColumn<bool>("crlf");
    for (const char *codec : {"UTF-16LE", "UTF-16BE", "UTF-8"}) {
        for (int row = 0; row < 4; ++row) {
            if (row < 2 || qstrcmp(codec, "UTF-8") != 0)
                QTest::addRow("%s%s%s", codec, row & 2 ? " without mark" : "", row & 1 ? ", CR LF" : "")
                    << QByteArray(codec) << !(row & 2) << bool(row & 1);
        }
    }
}

void tst_VariantMapXml::encodingsAndLineEnds()
{
    // The file is read as bytes: in UTF-16, 0x0D is half of many characters
    // (U+010D, U+0D12, U+2D0D), not a line end. Line ends are the XML
    // reader's business, which makes CR LF a line feed as XML requires.
    QFETCH(QByteArray, codec);
    QFETCH(bool, byteOrderMark);
    QFETCH(bool, crlf);
    const QVariantMap map{
        {QStringLiteral("\u010Dlen"), QStringLiteral("\u0D12\u2D0D \u010D\r\n end")},
        {QStringLiteral("list"), QVariantList{13, QStringLiteral("\u0D0D"), 3.25}},
        {QStringLiteral("plain"), QStringLiteral("radius")}};
    const QString path = m_dir.filePath(QStringLiteral("encoded.xml"));
    QVERIFY(Basics::writeVariantMapToXml(path, map));
    QString text = QString::fromUtf8(readAll(path));
    text.replace(QStringLiteral("encoding=\"UTF-8\""),
                 QStringLiteral("encoding=\"%1\"").arg(QString::fromLatin1(codec)));
    if (crlf)
        text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    if (byteOrderMark)
        text.prepend(QChar(0xFEFF));
    const QByteArray bytes = withoutMark(codec, text);
    QVERIFY(writeAll(path, bytes));
    QVariantMap back;
    QString error;
    QVERIFY2(Basics::readVariantMapFromXml(path, &back, &error), qPrintable(error));
    QCOMPARE(back, map);
}

QTEST_GUILESS_MAIN(tst_VariantMapXml)
#include "tst_variantmapxml.moc"
