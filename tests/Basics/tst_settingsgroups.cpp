// Settings groups: nested maps stored as nested groups of a real QSettings
// store on disk, in INI format and in the platform's native format (itself
// an INI file on Linux, the registry on Windows), relative to the group the
// caller has open.

#include <Basics/basics.h>

#include "testsupport/messagecapture.h"

#include <QTemporaryDir>
#include <QtTest>

#include <memory>

class tst_SettingsGroups : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void nestedMapsBecomeGroups_data();
    void nestedMapsBecomeGroups();
    void storeReturnsItsOwnTypes();
    void otherKeysStayAndAreReadToo();
    void groupWinsOverKeyOfTheSameName();
    void slashesMakeGroupsAndEmptyKeysAreDropped();

private:
    std::unique_ptr<QSettings> open(const QString &format) const;

    QTemporaryDir m_dir;
};

void tst_SettingsGroups::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // The native store of this test lives in the scratch directory.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.filePath(QStringLiteral("config"))));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       m_dir.filePath(QStringLiteral("config")));
    QCoreApplication::setOrganizationName(QStringLiteral("BasicsTest"));
    QCoreApplication::setApplicationName(QStringLiteral("tst_settingsgroups"));
}

std::unique_ptr<QSettings> tst_SettingsGroups::open(const QString &format) const
{
    if (format == QLatin1String("ini"))
        return std::make_unique<QSettings>(m_dir.filePath(QStringLiteral("store.ini")),
                                           QSettings::IniFormat);
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QCoreApplication::organizationName(),
                                       QCoreApplication::applicationName());
}

void tst_SettingsGroups::nestedMapsBecomeGroups_data()
{
    QTest::addColumn<QString>("format");
    QTest::newRow("ini file") << "ini";
#ifdef Q_OS_WIN
    QTest::newRow("native format (registry)") << "native";
#else
    QTest::newRow("native format (an INI file here)") << "native";
#endif
}

void tst_SettingsGroups::nestedMapsBecomeGroups()
{
    QFETCH(QString, format);
    const QVariantMap map{
        {QStringLiteral("a"), 1},
        {QStringLiteral("b"), QVariantMap{{QStringLiteral("c"), 2},
                                          {QStringLiteral("d"), QVariantMap{{QStringLiteral("e"),
                                                                             QStringLiteral("deep")}}}}},
        {QStringLiteral("empty"), QVariantMap()},
        {QStringLiteral("list"), QVariantList{1, QStringLiteral("x")}}};
    {
        std::unique_ptr<QSettings> settings = open(format);
        QCOMPARE(settings->format(), format == QLatin1String("ini") ? QSettings::IniFormat
                                                                    : QSettings::NativeFormat);
        settings->clear();
        settings->beginGroup(QStringLiteral("tool"));
        Basics::writeSettingsGroup(*settings, map);
        QCOMPARE(settings->group(), QStringLiteral("tool"));
        settings->endGroup();
        settings->sync();
        QCOMPARE(settings->status(), QSettings::NoError);
    }
    std::unique_ptr<QSettings> settings = open(format);
    QCOMPARE(settings->allKeys(),
             (QStringList{QStringLiteral("tool/a"), QStringLiteral("tool/b/c"),
                          QStringLiteral("tool/b/d/e"), QStringLiteral("tool/list")}));
    settings->beginGroup(QStringLiteral("tool"));
    const QVariantMap read = Basics::readSettingsGroup(*settings);
    QCOMPARE(settings->group(), QStringLiteral("tool"));
    // The empty map wrote nothing and is therefore absent.
    QCOMPARE(read.keys(), (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("list")}));
    const QVariantMap b = read.value(QStringLiteral("b")).toMap();
    QCOMPARE(b.value(QStringLiteral("c")).toInt(), 2);
    QCOMPARE(b.value(QStringLiteral("d")).toMap().value(QStringLiteral("e")), QVariant(QStringLiteral("deep")));
    QCOMPARE(read.value(QStringLiteral("list")).toList(), (QVariantList{1, QStringLiteral("x")}));
}

void tst_SettingsGroups::storeReturnsItsOwnTypes()
{
    const QVariantMap map{{QStringLiteral("int"), 7},
                          {QStringLiteral("bool"), true},
                          {QStringLiteral("bytes"), QByteArray("\x00\x01", 2)},
                          {QStringLiteral("date"), QDate(2020, 2, 29)}};
    const QString path = m_dir.filePath(QStringLiteral("types.ini"));
    {
        QSettings settings(path, QSettings::IniFormat);
        Basics::writeSettingsGroup(settings, map);
    }
    QSettings settings(path, QSettings::IniFormat);
    const QVariantMap read = Basics::readSettingsGroup(settings);
    // An INI file gives plain numbers and booleans back as text; types the
    // format cannot spell are kept through its @Variant form.
    QCOMPARE(read.value(QStringLiteral("int")), QVariant(QStringLiteral("7")));
    QCOMPARE(read.value(QStringLiteral("bool")), QVariant(QStringLiteral("true")));
    QCOMPARE(read.value(QStringLiteral("bytes")), QVariant(QByteArray("\x00\x01", 2)));
    QCOMPARE(read.value(QStringLiteral("date")), QVariant(QDate(2020, 2, 29)));
}

void tst_SettingsGroups::otherKeysStayAndAreReadToo()
{
    const QString path = m_dir.filePath(QStringLiteral("merge.ini"));
    {
        QSettings settings(path, QSettings::IniFormat);
        settings.setValue(QStringLiteral("g/kept"), QStringLiteral("before"));
        settings.setValue(QStringLiteral("g/sub/kept"), QStringLiteral("before"));
        settings.setValue(QStringLiteral("g/changed"), QStringLiteral("before"));
        settings.setValue(QStringLiteral("outside"), QStringLiteral("before"));
        settings.beginGroup(QStringLiteral("g"));
        Basics::writeSettingsGroup(settings, {{QStringLiteral("changed"), QStringLiteral("after")},
                                              {QStringLiteral("sub"),
                                               QVariantMap{{QStringLiteral("new"), QStringLiteral("n")}}}});
        settings.endGroup();
    }
    QSettings settings(path, QSettings::IniFormat);
    settings.beginGroup(QStringLiteral("g"));
    const QVariantMap read = Basics::readSettingsGroup(settings);
    QCOMPARE(read, (QVariantMap{{QStringLiteral("kept"), QStringLiteral("before")},
                                {QStringLiteral("changed"), QStringLiteral("after")},
                                {QStringLiteral("sub"),
                                 QVariantMap{{QStringLiteral("kept"), QStringLiteral("before")},
                                             {QStringLiteral("new"), QStringLiteral("n")}}}}));
    settings.endGroup();
    QCOMPARE(settings.value(QStringLiteral("outside")), QVariant(QStringLiteral("before")));
}

void tst_SettingsGroups::groupWinsOverKeyOfTheSameName()
{
    const QString path = m_dir.filePath(QStringLiteral("clash.ini"));
    QSettings settings(path, QSettings::IniFormat);
    settings.setValue(QStringLiteral("x"), QStringLiteral("key"));
    settings.setValue(QStringLiteral("x/y"), QStringLiteral("in group"));
    const QVariantMap read = Basics::readSettingsGroup(settings);
    QCOMPARE(read, (QVariantMap{{QStringLiteral("x"),
                                 QVariantMap{{QStringLiteral("y"), QStringLiteral("in group")}}}}));
    QCOMPARE(Basics::readSettingsGroup(settings), read); // reading changes nothing
}

void tst_SettingsGroups::slashesMakeGroupsAndEmptyKeysAreDropped()
{
    // The store reads '/' in a key as a group separator and ignores an
    // empty key (with a warning of its own): such maps do not come back as
    // they were written.
    const QString path = m_dir.filePath(QStringLiteral("slashes.ini"));
    {
        QSettings settings(path, QSettings::IniFormat);
        MessageCapture capture;
        Basics::writeSettingsGroup(settings, {{QStringLiteral("lens/radius"), 12},
                                              {QString(), 1},
                                              {QStringLiteral("plain"), 2}});
        QCOMPARE(capture.messages().size(), 1);
        QCOMPARE(capture.messages().first().type, QtWarningMsg);
    }
    QSettings settings(path, QSettings::IniFormat);
    QCOMPARE(Basics::readSettingsGroup(settings),
             (QVariantMap{{QStringLiteral("lens"), QVariantMap{{QStringLiteral("radius"), QStringLiteral("12")}}},
                          {QStringLiteral("plain"), QStringLiteral("2")}}));
}

QTEST_GUILESS_MAIN(tst_SettingsGroups)
#include "tst_settingsgroups.moc"
