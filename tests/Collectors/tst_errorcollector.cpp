// ErrorCollector: issues in the order of adding, copies that survive clear(),
// and the guarded s_instance.

#include <Collectors/errorcollector.h>

#include <QtTest>

class tst_ErrorCollector : public QObject
{
    Q_OBJECT

private slots:
    void issuesComeBackInOrder();
    void clearLeavesEarlierCopiesAlone();
    void instancePointerTurnsNullWithTheCollector();
};

void tst_ErrorCollector::issuesComeBackInOrder()
{
    ErrorCollector collector(nullptr);
    QVERIFY(collector.issues().isEmpty());
    collector.add(ErrorCollector::Warning, "Glass not in catalog", "N-XYZ");
    collector.add(ErrorCollector::Error, "Surface 3 invalid", 3);
    collector.add(ErrorCollector::Severity(42), "custom severity", QVariant()); // kept as given

    const QList<ErrorCollector::Issue> issues = collector.issues();
    QCOMPARE(issues.size(), 3);
    QCOMPARE(issues[0].severity, ErrorCollector::Warning);
    QCOMPARE(issues[0].text, QStringLiteral("Glass not in catalog"));
    QCOMPARE(issues[0].data, QVariant("N-XYZ"));
    QCOMPARE(issues[1].severity, ErrorCollector::Error);
    QCOMPARE(issues[1].data, QVariant(3));
    QCOMPARE(int(issues[2].severity), 42);
    QVERIFY(!issues[2].data.isValid());

    // An issue travels in a QVariant too.
    const QVariant wrapped = QVariant::fromValue(issues[1]);
    QCOMPARE(wrapped.value<ErrorCollector::Issue>().text, QStringLiteral("Surface 3 invalid"));
}

void tst_ErrorCollector::clearLeavesEarlierCopiesAlone()
{
    ErrorCollector collector(nullptr);
    collector.add(ErrorCollector::Information, "one", 1);
    collector.add(ErrorCollector::Information, "two", 2);
    const QList<ErrorCollector::Issue> before = collector.issues();
    collector.clear();
    QVERIFY(collector.issues().isEmpty());
    QCOMPARE(before.size(), 2);
    QCOMPARE(before[1].text, QStringLiteral("two"));

    // And a copy taken earlier does not see later additions.
    collector.add(ErrorCollector::Fatal, "three", 3);
    QCOMPARE(before.size(), 2);
    QCOMPARE(collector.issues().size(), 1);
}

void tst_ErrorCollector::instancePointerTurnsNullWithTheCollector()
{
    QVERIFY(ErrorCollector::s_instance.isNull());
    QObject owner;
    auto *collector = new ErrorCollector(&owner);
    ErrorCollector::s_instance = collector;
    QCOMPARE(ErrorCollector::s_instance.data(), collector);
    ErrorCollector::s_instance->add(ErrorCollector::Warning, "through the instance");
    QCOMPARE(collector->issues().size(), 1);
    delete collector;
    QVERIFY(ErrorCollector::s_instance.isNull());
}

QTEST_GUILESS_MAIN(tst_ErrorCollector)
#include "tst_errorcollector.moc"
