// The status message center: colours by type, sounds by level from the
// media objects in the sound slots, the slot overloads and the debug line
// of the destructor. Phonon runs on the test back end of this folder, whose
// media objects record the calls they get in "backendCalls".

#include <StatusMessageCenter/statusmessagecenter.h>

#include <Output/mywarnings.h>

#include "testsupport/messagecapture.h"

#include <QCoreApplication>
#include <QMetaMethod>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QtTest>

#include <phonon/mediasource.h>

#include <memory>
#include <type_traits>
#include <utility>

using Center = StatusMessageCenter;

namespace {

QStringList callsOf(const QObject *mediaObject)
{
    return mediaObject->property("backendCalls").toStringList();
}

// A media object of the test back end, ready to play.
std::unique_ptr<Phonon::MediaObject> playableMediaObject()
{
    auto mediaObject = std::make_unique<Phonon::MediaObject>();
    mediaObject->setCurrentSource(Phonon::MediaSource(QUrl(QStringLiteral("file:///sound.mp3"))));
    mediaObject->setProperty("backendCalls", QStringList());
    return mediaObject;
}

// Whether Center::showMessage can be called with arguments of these types.
template <class Void, class... Args>
struct ShowMessageAccepts : std::false_type
{
};
template <class... Args>
struct ShowMessageAccepts<std::void_t<decltype(Center::showMessage(std::declval<Args>()...))>,
                          Args...> : std::true_type
{
};
template <class... Args>
constexpr bool showMessageAccepts = ShowMessageAccepts<void, Args...>::value;

} // namespace

class tst_StatusMessageCenter : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void singleInstanceAndDefaults();
    void metaObjectOfTheCenter();
    void typedMessagesCarryTheTypeColour_data();
    void typedMessagesCarryTheTypeColour();
    void soundsFollowTheLevel_data();
    void soundsFollowTheLevel();
    void emptyOrDestroyedSlotsAreSilent();
    void plainMessagesAndSlots();
    void aTimeoutNeverBecomesAColour();
    void destructorWritesLevelTwoDebugLine();

private:
    std::unique_ptr<Phonon::MediaObject> m_slots[7];
};

void tst_StatusMessageCenter::initTestCase()
{
    QCoreApplication::addLibraryPath(QStringLiteral(TEST_PLUGIN_DIR));
    for (auto &slot : m_slots)
        slot = playableMediaObject();
    // The media objects must really reach the test back end, or the sound
    // checks below would prove nothing.
    m_slots[0]->play();
    QCOMPARE(callsOf(m_slots[0].get()), QStringList({"play"}));
    m_slots[0]->setProperty("backendCalls", QStringList());
}

void tst_StatusMessageCenter::singleInstanceAndDefaults()
{
    QVERIFY(Center::instance == nullptr);
    QCOMPARE(Center::sounds(), Center::AllSounds); // creates the instance
    Center *center = Center::instance;
    QVERIFY(center);
    QCOMPARE(Center::getInstance(), center);
    QCOMPARE(center->parent(), QCoreApplication::instance());
    for (int type = Center::Normal; type <= Center::Snapshot; ++type)
        QVERIFY(center->soundObject(Center::Type(type)) == nullptr);

    Center independent(nullptr);
    QVERIFY(&independent != Center::getInstance());
    QCOMPARE(Center::instance, center);

    Center::setSounds(Center::NoSounds);
    QCOMPARE(Center::sounds(), Center::NoSounds);
    Center::setSounds(Center::Sounds(3)); // stored unchecked
    QCOMPARE(int(Center::sounds()), 3);
    Center::setSounds(Center::AllSounds);
}

void tst_StatusMessageCenter::metaObjectOfTheCenter()
{
    const QMetaObject &meta = Center::staticMetaObject;
    QStringList members;
    for (int i = meta.methodOffset(); i < meta.methodCount(); ++i)
        members << QString::fromLatin1(meta.method(i).methodSignature());
    QCOMPARE(members, QStringList({"onClearMessage()", "onShowMessage(QString,QColor,int)",
                                   "clearMessageSlot()", "showMessageSlot(QString,QColor,int)",
                                   "showMessageSlot(QString,QColor)", "showMessageSlot(QString)"}));
}

void tst_StatusMessageCenter::typedMessagesCarryTheTypeColour_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QColor>("color");
    QTest::newRow("Normal") << int(Center::Normal) << QColor();
    QTest::newRow("Warning") << int(Center::Warning) << QColor("lightyellow");
    QTest::newRow("Error") << int(Center::Error) << QColor("coral");
    QTest::newRow("Success") << int(Center::Success) << QColor("palegreen");
    QTest::newRow("Share") << int(Center::Share) << QColor("lightgreen");
    QTest::newRow("Data") << int(Center::Data) << QColor("lightgreen");
    QTest::newRow("Snapshot") << int(Center::Snapshot) << QColor("palegreen");
    QTest::newRow("7 (out of range)") << 7 << QColor();
    QTest::newRow("-1 (out of range)") << -1 << QColor();
}

void tst_StatusMessageCenter::typedMessagesCarryTheTypeColour()
{
    QFETCH(int, type);
    QFETCH(QColor, color);
    for (Center::Sounds level : {Center::NoSounds, Center::AllSounds}) {
        Center::setSounds(level);
        QSignalSpy shown(Center::getInstance(), &Center::onShowMessage);
        Center::showMessage(Center::Type(type), "Lens saved", 1500);
        QCOMPARE(shown.count(), 1);
        QCOMPARE(shown[0][0].toString(), QStringLiteral("Lens saved"));
        QCOMPARE(shown[0][1].value<QColor>(), color);
        QCOMPARE(shown[0][1].value<QColor>().isValid(), color.isValid());
        QCOMPARE(shown[0][2].toInt(), 1500);
    }
}

void tst_StatusMessageCenter::soundsFollowTheLevel_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<QList<int>>("sounding");
    const QList<int> all{Center::Normal, Center::Warning, Center::Error, Center::Success,
                         Center::Share,  Center::Data,    Center::Snapshot};
    QTest::newRow("NoSounds") << int(Center::NoSounds) << QList<int>();
    QTest::newRow("WarningAndErrorSounds") << int(Center::WarningAndErrorSounds)
                                           << QList<int>{Center::Warning, Center::Error};
    QTest::newRow("AllSounds") << int(Center::AllSounds) << all;
    QTest::newRow("3 (not a level)") << 3 << QList<int>{Center::Warning, Center::Error};
}

void tst_StatusMessageCenter::soundsFollowTheLevel()
{
    QFETCH(int, level);
    QFETCH(QList<int>, sounding);
    Center *center = Center::getInstance();
    for (int type = 0; type < 7; ++type)
        center->setSoundObject(Center::Type(type), m_slots[type].get());
    Center::setSounds(Center::Sounds(level));

    for (int type = 0; type < 7; ++type) {
        for (auto &slot : m_slots)
            slot->setProperty("backendCalls", QStringList());
        QSignalSpy shown(center, &Center::onShowMessage);
        Center::showMessage(Center::Type(type), "message", 0);
        QCOMPARE(shown.count(), 1);
        // Only the type's own media object, stopped first so that it starts over.
        for (int other = 0; other < 7; ++other) {
            const QStringList expected = other == type && sounding.contains(type)
                                             ? QStringList({"stop", "play"})
                                             : QStringList();
            QCOMPARE(callsOf(m_slots[other].get()), expected);
        }
    }
    for (auto &slot : m_slots)
        slot->setProperty("backendCalls", QStringList());
    Center::showMessage(Center::Type(7), "out of range", 0);
    for (auto &slot : m_slots)
        QCOMPARE(callsOf(slot.get()), QStringList());

    for (int type = 0; type < 7; ++type)
        center->setSoundObject(Center::Type(type), nullptr);
    Center::setSounds(Center::AllSounds);
}

void tst_StatusMessageCenter::emptyOrDestroyedSlotsAreSilent()
{
    Center *center = Center::getInstance();
    QSignalSpy shown(center, &Center::onShowMessage);
    Center::showMessage(Center::Error, "no sound", 0);

    auto mediaObject = playableMediaObject();
    center->setSoundObject(Center::Error, mediaObject.get());
    center->setSoundObject(Center::Type(9), mediaObject.get()); // ignored
    QCOMPARE(center->soundObject(Center::Error), mediaObject.get());
    QVERIFY(center->soundObject(Center::Type(9)) == nullptr);
    Center::showMessage(Center::Error, "sound", 0);
    QCOMPARE(callsOf(mediaObject.get()), QStringList({"stop", "play"}));

    // The center never owns the media object; once it is gone, the slot is empty.
    mediaObject.reset();
    QVERIFY(center->soundObject(Center::Error) == nullptr);
    Center::showMessage(Center::Error, "gone", 0);
    QCOMPARE(shown.count(), 3);
    QCOMPARE(shown[2][1].value<QColor>(), QColor("coral"));
}

void tst_StatusMessageCenter::plainMessagesAndSlots()
{
    Center *center = Center::getInstance();
    QSignalSpy shown(center, &Center::onShowMessage);
    QSignalSpy cleared(center, &Center::onClearMessage);
    Center::showMessage("plain", QColor(Qt::red), 20);
    Center::clearMessage();
    QCOMPARE(shown.count(), 1);
    QCOMPARE(shown[0], QVariantList({"plain", QColor(Qt::red), 20}));
    QCOMPARE(cleared.count(), 1);

    // The slots emit on the object whose slot is invoked, in all three forms.
    Center independent(nullptr);
    QSignalSpy ownShown(&independent, &Center::onShowMessage);
    QSignalSpy ownCleared(&independent, &Center::onClearMessage);
    QVERIFY(QMetaObject::invokeMethod(&independent, "showMessageSlot",
                                      Q_ARG(QString, "only text")));
    QVERIFY(QMetaObject::invokeMethod(&independent, "showMessageSlot", Q_ARG(QString, "coloured"),
                                      Q_ARG(QColor, QColor("coral"))));
    QVERIFY(QMetaObject::invokeMethod(&independent, "showMessageSlot", Q_ARG(QString, "full"),
                                      Q_ARG(QColor, QColor("coral")), Q_ARG(int, 9)));
    QVERIFY(QMetaObject::invokeMethod(&independent, "clearMessageSlot"));
    QCOMPARE(ownShown.count(), 3);
    QCOMPARE(ownShown[0], QVariantList({"only text", QColor(), 0}));
    QCOMPARE(ownShown[1], QVariantList({"coloured", QColor("coral"), 0}));
    QCOMPARE(ownShown[2], QVariantList({"full", QColor("coral"), 9}));
    QCOMPARE(ownCleared.count(), 1);
    QCOMPARE(shown.count(), 1);
    QCOMPARE(cleared.count(), 1);
}

void tst_StatusMessageCenter::aTimeoutNeverBecomesAColour()
{
    // A colour converts from an int, so a default timeout would let
    // showMessage("Saved", 3000) compile and show 3000 as a colour.
    static_assert(!showMessageAccepts<const char *, int>, "message and timeout alone");
    static_assert(!showMessageAccepts<const QString &, int>, "message and timeout alone");
    static_assert(!showMessageAccepts<const QString &, const QColor &>, "timeout left out");
    static_assert(showMessageAccepts<const QString &, const QColor &, int>, "colour form");
    static_assert(showMessageAccepts<const char *, Qt::GlobalColor, int>, "colour form");
    static_assert(showMessageAccepts<Center::Type, const QString &, int>, "typed form");
    static_assert(showMessageAccepts<Center::Type, const char *, int>, "typed form");

    QSignalSpy shown(Center::getInstance(), &Center::onShowMessage);
    Center::showMessage("Saved", QColor(), 3000);
    Center::showMessage(Center::Normal, "Saved", 3000);
    QCOMPARE(shown.count(), 2);
    QCOMPARE(shown[0], QVariantList({"Saved", QColor(), 3000}));
    QCOMPARE(shown[1], QVariantList({"Saved", QColor(), 3000}));
}

void tst_StatusMessageCenter::destructorWritesLevelTwoDebugLine()
{
    const int savedLevel = MyWarnings::debugLevel;
    const bool savedSingle = MyWarnings::onlySingleLevel;
    MessageCapture capture;

    delete new Center(nullptr); // level 0: hidden
    QCOMPARE(capture.texts(), QStringList());

    MyWarnings::debugLevel = 3;
    MyWarnings::onlySingleLevel = true; // 3 only: still hidden
    delete new Center(nullptr);
    QCOMPARE(capture.texts(), QStringList());

    MyWarnings::debugLevel = 2;
    delete new Center(nullptr);
    MyWarnings::debugLevel = 3;
    MyWarnings::onlySingleLevel = false;
    delete new Center(nullptr);
    MyWarnings::debugLevel = savedLevel;
    MyWarnings::onlySingleLevel = savedSingle;

    const QRegularExpression line(
        "^\"\\d\\d:\\d\\d:\\d\\d:\\d\\d\\d\" "
        + QRegularExpression::escape("virtual StatusMessageCenter::~StatusMessageCenter() "
                                     "StatusMessageCenter\\statusmessagecenter.cpp ( ")
        + "\\d+ \\)   $");
    const QList<MessageCapture::Message> messages = capture.messages();
    QCOMPARE(messages.size(), 2);
    for (const MessageCapture::Message &message : messages) {
        QCOMPARE(message.type, QtDebugMsg);
        QVERIFY2(line.match(message.text).hasMatch(), qPrintable(message.text));
    }
}

QTEST_MAIN(tst_StatusMessageCenter)
#include "tst_statusmessagecenter.moc"
