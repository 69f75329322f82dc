// Basics' number and string formatting: locale-aware numbers, unit
// prefixes, ordering prefixes, comments and fuzzy comparison.

#include <Basics/basics.h>

#include <QLocale>
#include <QTranslator>
#include <QtTest>

#include <limits>

namespace {

const QString Micro = QString::fromUtf8("\xc2\xb5");

class LocaleScope
{
public:
    explicit LocaleScope(const QLocale &locale) { QLocale::setDefault(locale); }
    ~LocaleScope() { QLocale::setDefault(m_previous); }

private:
    QLocale m_previous;
};

// Translates the micro sign, and nothing else, to "u".
class AsciiMicro : public QTranslator
{
public:
    QString translate(const char *context, const char *source, const char *, int) const override
    {
        if (QByteArray(context) == "QObject" && QString::fromUtf8(source) == Micro)
            return QStringLiteral("u");
        return QString();
    }
    bool isEmpty() const override { return false; }
};

} // namespace

class TestBasicsFormat : public QObject
{
    Q_OBJECT

private slots:
    void numbersDropTrailingZeros_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("precision");
        QTest::addColumn<QString>("text");

        QTest::newRow("en 2.5") << "en_US" << 2.5 << 3 << "2.5";
        QTest::newRow("en 2.0: the point goes too") << "en_US" << 2.0 << 3 << "2";
        QTest::newRow("en grouping") << "en_US" << 1234.5 << 1 << "1,234.5";
        QTest::newRow("de grouping") << "de_DE" << 1234.5 << 1 << "1.234,5";
        QTest::newRow("de 2,0") << "de_DE" << 2.0 << 2 << "2";
        QTest::newRow("no point, zeros stay") << "en_US" << 100.0 << 0 << "100";
        QTest::newRow("de thousands, zeros stay") << "de_DE" << 1000.0 << 0 << "1.000";
        QTest::newRow("rounded to zeros") << "en_US" << 0.0004 << 3 << "0";
        QTest::newRow("negative") << "en_US" << -12.340 << 3 << "-12.34";
        QTest::newRow("C locale") << "C" << 1234.5 << 2 << "1234.5";
        QTest::newRow("nan") << "en_US" << qQNaN() << 3 << "nan";
        QTest::newRow("infinity") << "en_US" << qInf() << 3 << "inf";
        // Beyond the 1074 decimals a double can need, more asks for nothing.
        QTest::newRow("huge precision") << "en_US" << 0.1 << std::numeric_limits<int>::max()
                                        << "0.1000000000000000055511151231257827021181583404541015625";
    }
    void numbersDropTrailingZeros()
    {
        QFETCH(QString, locale);
        QFETCH(double, value);
        QFETCH(int, precision);
        QFETCH(QString, text);
        LocaleScope scope{QLocale(locale)};
        QCOMPARE(Basics::toString(value, precision), text);
    }

    void localeDigitsAreTrimmedToo()
    {
        LocaleScope scope{QLocale(QLocale::Arabic, QLocale::Egypt)};
        const QLocale arabic;
        const QString expected = arabic.toString(2.5, 'f', 1);
        QCOMPARE(Basics::toString(2.5, 3), expected);
    }

    void unitsTakeOnePrefixBelowOne_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<QString>("text");

        QTest::newRow("mm to micro") << 0.005 << "mm" << "5 " + Micro + "m";
        QTest::newRow("W to mW") << 0.5 << "W" << "500 mW";
        QTest::newRow("above one") << 2.25 << "mm" << "2.25 mm";
        QTest::newRow("exactly one") << 1.0 << "mm" << "1 mm";
        QTest::newRow("zero keeps the unit") << 0.0 << "mm" << "0 mm";
        QTest::newRow("negative zero") << -0.0 << "mm" << "0 mm";
        QTest::newRow("negative always prefixed") << -2.0 << "mm" << "-2000 " + Micro + "m";
        QTest::newRow("mm rule on the text") << 0.005 << "m" << "5 " + Micro;
        QTest::newRow("only one prefix step") << 1e-7 << "mm" << "0 " + Micro + "m";
        QTest::newRow("case-sensitive") << 0.5 << "Mm" << "500 mMm";
        QTest::newRow("empty unit") << 0.25 << "" << "250 m";
        QTest::newRow("nan is not zero") << qQNaN() << "mm" << "nan mm";
    }
    void unitsTakeOnePrefixBelowOne()
    {
        QFETCH(double, value);
        QFETCH(QString, unit);
        QFETCH(QString, text);
        LocaleScope scope{QLocale::c()};
        QCOMPARE(Basics::toStringWithUnit(value, unit), text);
    }

    void microSignGoesThroughTranslation()
    {
        LocaleScope scope{QLocale::c()};
        AsciiMicro translator;
        QVERIFY(QCoreApplication::installTranslator(&translator));
        const QString translated = Basics::toStringWithUnit(0.005, QStringLiteral("mm"));
        QCoreApplication::removeTranslator(&translator);
        QCOMPARE(translated, QStringLiteral("5 um"));
        QCOMPARE(Basics::toStringWithUnit(0.005, QStringLiteral("mm")), "5 " + Micro + "m");
    }

    void orderingPrefixes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("result");

        QTest::newRow("digits") << "01_Lens" << "Lens";
        QTest::newRow("one digit") << "7_Mirror" << "Mirror";
        QTest::newRow("suffix, not prefix") << "Lens_01" << "Lens_01";
        QTest::newRow("underscore first") << "_Lens" << "_Lens";
        QTest::newRow("nothing after") << "12_" << "";
        QTest::newRow("no underscore") << "0123" << "0123";
        QTest::newRow("only the first underscore") << "1_2_Lens" << "2_Lens";
        // Every character before the underscore must be a digit.
        QTest::newRow("letter alone") << "a_Lens" << "a_Lens";
        QTest::newRow("letter last") << "1x_Lens" << "1x_Lens";
        QTest::newRow("letter first") << "x1_Lens" << "x1_Lens";
        QTest::newRow("blank") << "1 _Lens" << "1 _Lens";
        QTest::newRow("other digits") << QString::fromUtf8("\xd9\xa1\xd9\xa2_Lens") << "Lens";
        QTest::newRow("empty") << "" << "";
    }
    void orderingPrefixes()
    {
        QFETCH(QString, text);
        QFETCH(QString, result);
        QCOMPARE(Basics::stripLeadingDigits(text), result);
    }

    void comments()
    {
        const QRegExp hash(QStringLiteral("#"));
        QCOMPARE(Basics::removeComment(QStringLiteral("a = 1 # note"), hash),
                 QStringLiteral("a = 1 "));
        QCOMPARE(Basics::removeComment(QStringLiteral("a = 1"), hash), QStringLiteral("a = 1"));
        QCOMPARE(Basics::removeComment(QStringLiteral("# all"), hash), QString());
        QCOMPARE(Basics::removeComment(QString(), hash), QString());
        QCOMPARE(Basics::removeComment(QStringLiteral("x = 2 // c // d"),
                                       QRegExp(QStringLiteral("//|;"))),
                 QStringLiteral("x = 2 "));

        // The caller's expression keeps its state.
        QRegExp expression(QStringLiteral("(c)"));
        QCOMPARE(expression.indexIn(QStringLiteral("abc")), 2);
        Basics::removeComment(QStringLiteral("c at the start"), expression);
        QCOMPARE(expression.pos(1), 2);
        QCOMPARE(expression.matchedLength(), 1);
    }

    void similarity_data()
    {
        QTest::addColumn<QByteArray>("a");
        QTest::addColumn<QByteArray>("b");
        QTest::addColumn<double>("score");

        QTest::newRow("flaw lawn") << QByteArray("flaw") << QByteArray("lawn") << 0.5;
        QTest::newRow("against empty") << QByteArray("abc") << QByteArray("") << 0.0;
        QTest::newRow("empty against") << QByteArray("") << QByteArray("xy") << 0.0;
        QTest::newRow("both empty") << QByteArray("") << QByteArray("") << 1.0;
        QTest::newRow("equal") << QByteArray("lens") << QByteArray("lens") << 1.0;
        QTest::newRow("case counts") << QByteArray("Abc") << QByteArray("abc") << 1.0 - 1.0 / 3;
        QTest::newRow("kitten sitting") << QByteArray("kitten") << QByteArray("sitting")
                                        << 1.0 - 3.0 / 7;
        QTest::newRow("bytes, not characters") << QByteArray("\xc3\xa9") << QByteArray("e")
                                               << 0.0;
        QTest::newRow("embedded NUL") << QByteArray("a\0b", 3) << QByteArray("ab") << 1.0 - 1.0 / 3;
    }
    void similarity()
    {
        QFETCH(QByteArray, a);
        QFETCH(QByteArray, b);
        QFETCH(double, score);
        const std::string x(a.constData(), std::size_t(a.size()));
        const std::string y(b.constData(), std::size_t(b.size()));
        QCOMPARE(Basics::fuzzyStringCompare(x, y), score);
        QCOMPARE(Basics::fuzzyStringCompare(y, x), score); // symmetric
    }

    void similarityOfLongStrings()
    {
        const std::string a(3000, 'a');
        std::string b = a;
        b[1500] = 'b';
        QCOMPARE(Basics::fuzzyStringCompare(a, b), 1.0 - 1.0 / 3000);
        QCOMPARE(Basics::fuzzyStringCompare(a, std::string(1500, 'a')), 0.5);
    }
};

QTEST_GUILESS_MAIN(TestBasicsFormat)
#include "tst_basicsformat.moc"
