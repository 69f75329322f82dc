// The typed XML writer against the toolkit's stream writer on random maps,
// and the fast reader against the reference reader on the writer's documents
// and mutations of them, which it must read alike or decline.

#include "Basics/variantxml_p.h"

#include "testsupport/variantxmlreference.h"

#include <QPoint>
#include <QRandomGenerator>
#include <QTimeZone>
#include <QtTest>

#include <cstring>
#include <limits>

namespace {

struct LensId
{
    QString catalog;
    qint32 number = 0;
};
QDataStream &operator<<(QDataStream &s, const LensId &id) { return s << id.catalog << id.number; }
QDataStream &operator>>(QDataStream &s, LensId &id) { return s >> id.catalog >> id.number; }

} // namespace

Q_DECLARE_METATYPE(LensId)

namespace {

class RandomMaps
{
public:
    explicit RandomMaps(quint32 seed) : m_random(seed) {}

    QVariantMap map(int depth = 0)
    {
        QVariantMap map;
        const int size = int(m_random.bounded(depth == 0 ? 12 : 5));
        for (int i = 0; i < size; ++i)
            map.insert(text(), value(depth + 1));
        return map;
    }

private:
    int pick(int count) { return int(m_random.bounded(count)); }

    // Texts with everything XML escapes, line ends, characters beyond
    // ASCII and the BMP, and now and then one XML cannot hold.
    QString text()
    {
        static const QStringList pieces{
            "a", "Lens", " ", "<", ">", "&", "\"", "'", "\t", "\n", "\r", "\r\n", "]]>",
            "&amp;", "\u00e9", "\u20ac", "\ufffd", "\u0d0d", "\u010d", QString::fromUtf8("\xf0\x9f\x98\x80"),
            "0", "-1", "1e5", "true", "  "};
        QString result;
        const int length = pick(6);
        for (int i = 0; i < length; ++i)
            result += pieces.at(pick(pieces.size()));
        if (pick(60) == 0) {
            static const QList<QChar> refused{QChar(0x1), QChar(0xB), QChar(0xFFFE), QChar(0xFFFF),
                                              QChar(0xD800), QChar(0xDC00)};
            result.insert(pick(result.size() + 1), refused.at(pick(refused.size())));
        }
        return result;
    }

    double number()
    {
        switch (pick(6)) {
        case 0: return std::numeric_limits<double>::quiet_NaN();
        case 1: return pick(2) ? std::numeric_limits<double>::infinity() : -0.0;
        case 2: return std::numeric_limits<double>::denorm_min() * pick(1000);
        case 3: return double(qint32(m_random.generate())) / 8;
        default: {
            const quint64 bits = m_random.generate64();
            double value;
            std::memcpy(&value, &bits, sizeof value);
            return value;
        }
        }
    }

    QVariant value(int depth)
    {
        const QDate date(1 + pick(9999), 1 + pick(12), 1 + pick(28));
        const QTime time(pick(24), pick(60), pick(60), pick(1000));
        switch (pick(depth < 4 ? 22 : 19)) {
        case 0: return QVariant();
        case 1: return pick(2) == 1;
        case 2: return qint32(m_random.generate());
        case 3: return quint32(m_random.generate());
        case 4: return qint64(m_random.generate64());
        case 5: return quint64(m_random.generate64());
        case 6: case 7: return number();
        case 8: case 9: return text();
        case 10: return text().toUtf8();
        case 11: return pick(8) ? date : (pick(2) ? QDate() : QDate(10000 + pick(5), 1, 1));
        case 12: return pick(8) ? time : QTime();
        case 13:
            switch (pick(4)) {
            case 0: return QDateTime(date, time, Qt::UTC);
            case 1: return QDateTime(date, time, Qt::OffsetFromUTC, 3600 * (pick(25) - 12));
            case 2: return QDateTime(date, time);
            default: return QDateTime();
            }
        case 14: return QVariant::fromValue(LensId{text(), qint32(m_random.generate())});
        case 15: return QPoint(pick(100), pick(100)); // no text form: an empty string
        case 16: return float(pick(1000)) / 8;
        case 17: return QStringList(QStringList{text(), text()}.mid(pick(3)));
        case 18: return QChar(0x41 + pick(26));
        case 19: return map(depth);
        default: {
            QVariantList list;
            for (int i = pick(5); i > 0; --i)
                list.append(value(depth + 1));
            return list;
        }
        }
    }

    QRandomGenerator m_random;
};

// Changes a document in one of the ways the fast path must notice.
QByteArray mutated(QByteArray document, QRandomGenerator &random)
{
    static const QList<QByteArray> snippets{
        "<!-- note -->", "<![CDATA[x]]>", "&amp;", "&#13;", "&#x1F600;", "&#1;", "&#xD800;",
        "&bogus;", "<x/>", " a=\"1\"", " key=\"k\"", " type=\"int\"", "<?pi x?>", "]]>", "\t",
        "\r", "\r\n", "\n", "<entry key=\"k\"/>", "<item type=\"int\">1</item>", "&#65;", "&#X41;",
        "</entry>", "</value>", "<value type=\"map\">", "\xc3", "\xff", QByteArray(1, '\0'),
        "<!DOCTYPE x>", "/", "=", "\"", "'", "<", ">", "&"};
    const int at = int(random.bounded(document.size() + 1));
    switch (random.bounded(4)) {
    case 0:
        return document.insert(at, snippets.at(int(random.bounded(snippets.size()))));
    case 1:
        return document.remove(at, int(random.bounded(8)));
    case 2:
        if (at < document.size())
            document[at] = snippets.at(int(random.bounded(snippets.size()))).at(0);
        return document;
    default:
        return document.replace("\n", random.bounded(2) ? "\r\n" : "\r");
    }
}

} // namespace

class tst_VariantXmlFastPath : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        qRegisterMetaTypeStreamOperators<LensId>("LensId");
    }

    void matchesTheReferences_data()
    {
        QTest::addColumn<quint32>("seed");
        for (quint32 seed = 1; seed <= 8; ++seed)
            QTest::addRow("seed %u", seed) << seed;
    }
    void matchesTheReferences()
    {
        QFETCH(quint32, seed);
        RandomMaps maps(seed);
        QRandomGenerator random(seed);
        int refused = 0;
        int taken = 0;
        int declined = 0;
        for (int i = 0; i < 150; ++i) {
            // The writer gives the stream writer's bytes, or refuses as it does.
            const QVariantMap map = maps.map();
            const QByteArray document = VariantXml::writeDocument(map);
            QCOMPARE(document, variantxmlreference::StreamWriter().write(map));
            refused += document.isEmpty();
            // The fast path reads the writer's document and, changed, declines
            // it or reads what the reference reader reads.
            for (int variant = 0; variant < 30 && !document.isEmpty(); ++variant) {
                QByteArray bytes = document;
                for (int changes = variant == 0 ? 0 : 1 + int(random.bounded(3)); changes > 0; --changes)
                    bytes = mutated(bytes, random);
                QVariantMap fast{{QStringLiteral("untouched"), 1}};
                QVariantMap reference;
                QString error;
                const bool fastRead = VariantXml::readOwnLayout(bytes, &fast);
                const bool referenceRead = VariantXml::readDocument(bytes, &reference, &error);
                QVERIFY2(fastRead || variant > 0, bytes.constData());
                if (fastRead) {
                    QVERIFY2(referenceRead, qPrintable(error + "\n" + QString::fromUtf8(bytes)));
                    QVERIFY2(variantxmlreference::identical(fast, reference), bytes.constData());
                    ++taken;
                } else {
                    QCOMPARE(fast, (QVariantMap{{QStringLiteral("untouched"), 1}}));
                    ++declined;
                }
            }
        }
        QVERIFY(refused > 0 && refused < 100 && taken > 0 && declined > 0); // every kind occurred
    }
};

QTEST_GUILESS_MAIN(tst_VariantXmlFastPath)
#include "tst_variantxmlfastpath.moc"
