// The dispatcher: participation by signature, broadcasts within and across
// threads, the back channel and the funnel of widget status messages.

#include <GlobalMessageDispatcher/globalmessagedispatcher.h>

#include "participants.h"
#include "testsupport/messagecapture.h"

#include <QApplication>
#include <QMetaMethod>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

using Dispatcher = GlobalMessageDispatcher;

class tst_GlobalMessageDispatcher : public QObject
{
    Q_OBJECT

private slots:
    void singleInstanceBelongsToTheApplication();
    void metaObjectHasTheFiveSignalsInOrder();
    void connectJoinsByTheMembersAnObjectDeclares();
    void connectIsQuietAndIdempotent();
    void disconnectUndoesConnect();
    void backChannelCollectsAnswersInConnectionOrder();
    void broadcastsReachReceiversInOtherThreads();
    void backChannelDoesNotCrossThreads();
    void participantDestroyedDuringBroadcast();
    void statusSendersAreFunnelled();
    void registeringAgainWritesConnectionFailed();
};

void tst_GlobalMessageDispatcher::singleInstanceBelongsToTheApplication()
{
    QVERIFY(Dispatcher::m_instance == nullptr);
    Dispatcher *instance = Dispatcher::getInstance();
    QVERIFY(instance);
    QCOMPARE(Dispatcher::m_instance, instance);
    QCOMPARE(Dispatcher::getInstance(), instance);
    QCOMPARE(instance->parent(), QCoreApplication::instance());

    Dispatcher independent(nullptr);
    QVERIFY(&independent != Dispatcher::getInstance());
    QCOMPARE(Dispatcher::m_instance, instance);
}

void tst_GlobalMessageDispatcher::metaObjectHasTheFiveSignalsInOrder()
{
    const QMetaObject &meta = Dispatcher::staticMetaObject;
    QStringList signatures;
    for (int i = meta.methodOffset(); i < meta.methodCount(); ++i) {
        QCOMPARE(meta.method(i).methodType(), QMetaMethod::Signal);
        signatures << QString::fromLatin1(meta.method(i).methodSignature());
    }
    QCOMPARE(signatures,
             QStringList({"genericSignal(QObject*,QString,QVariant)",
                          "genericBackChannelSignal(QObject*,QString,QVariant,QVariantList&)",
                          "onSystemChanged()", "zemaxFoldersChanged()",
                          "showMessage(QString,int)"}));
    QCOMPARE(meta.method(meta.methodOffset()).parameterNames(),
             QList<QByteArray>({"sender", "type", "genericData"}));
    QCOMPARE(meta.method(meta.methodOffset() + 1).parameterNames(),
             QList<QByteArray>({"sender", "type", "genericData", "genericAnswers"}));
    QCOMPARE(meta.propertyCount(), meta.propertyOffset());
}

void tst_GlobalMessageDispatcher::connectJoinsByTheMembersAnObjectDeclares()
{
    Receiver receiver;
    Sender sender;
    Peer peer;
    Dispatcher::connect(&receiver);
    Dispatcher::connect(&sender);
    Dispatcher::connect(&peer);

    // A static broadcast reaches every receiver once, with a copy of the data.
    Dispatcher::sendGenericSignal(&sender, "lens", QVariant(42));
    QCOMPARE(receiver.deliveries.size(), 1);
    QCOMPARE(receiver.deliveries[0].sender, &sender);
    QCOMPARE(receiver.deliveries[0].type, QStringLiteral("lens"));
    QCOMPARE(receiver.deliveries[0].data, QVariant(42));
    QCOMPARE(peer.deliveries.size(), 1);

    // A participant's own signal is relayed to all receivers.
    sender.send("glass", "N-BK7");
    QCOMPARE(receiver.deliveries.size(), 2);
    QCOMPARE(receiver.deliveries[1].data, QVariant("N-BK7"));

    // An object with signal and slot hears itself once, as the sender.
    peer.send("self", 1);
    QCOMPARE(peer.deliveries.size(), 3);
    QCOMPARE(peer.deliveries.last().sender, &peer);
    QCOMPARE(receiver.deliveries.last().sender, &peer);

    // The two notifications of the applications travel through the instance.
    QSignalSpy systemChanged(Dispatcher::getInstance(), &Dispatcher::onSystemChanged);
    QSignalSpy foldersChanged(Dispatcher::getInstance(), &Dispatcher::zemaxFoldersChanged);
    emit Dispatcher::getInstance()->onSystemChanged();
    QVERIFY(QMetaObject::invokeMethod(Dispatcher::getInstance(), "zemaxFoldersChanged"));
    QCOMPARE(systemChanged.count(), 1);
    QCOMPARE(foldersChanged.count(), 1);
}

void tst_GlobalMessageDispatcher::connectIsQuietAndIdempotent()
{
    MessageCapture capture;
    Receiver receiver;
    QObject bystander;
    Dispatcher::connect(&receiver);
    Dispatcher::connect(&receiver);
    Dispatcher::connect(&bystander);
    Dispatcher::connect(nullptr);
    Dispatcher::disconnect(&bystander);
    Dispatcher::disconnect(nullptr);
    // The instance itself would relay its broadcasts to itself for ever.
    Dispatcher::connect(Dispatcher::getInstance());

    Dispatcher::sendGenericSignal(nullptr, "once", QVariant());
    QCOMPARE(receiver.deliveries.size(), 1);
    QCOMPARE(receiver.deliveries[0].sender, nullptr);
    QCOMPARE(capture.texts(), QStringList());
}

void tst_GlobalMessageDispatcher::disconnectUndoesConnect()
{
    Peer peer;
    Receiver receiver;
    Answerer answerer("a");
    Asker asker;
    for (QObject *object : {static_cast<QObject *>(&peer), static_cast<QObject *>(&receiver),
                            static_cast<QObject *>(&answerer), static_cast<QObject *>(&asker)})
        Dispatcher::connect(object);
    QCOMPARE(asker.ask("q").size(), 1);

    MessageCapture capture;
    Dispatcher::disconnect(&peer);
    Dispatcher::disconnect(&answerer);
    peer.send("after", 0);
    QCOMPARE(receiver.deliveries.size(), 0); // its own signal is no longer relayed
    Dispatcher::sendGenericSignal(nullptr, "after", 0);
    QCOMPARE(peer.deliveries.size(), 0);     // and it no longer receives
    QCOMPARE(receiver.deliveries.size(), 1);
    QCOMPARE(asker.ask("q"), QVariantList());

    Dispatcher::disconnect(&asker);
    Dispatcher::connect(&answerer);
    QCOMPARE(asker.ask("q"), QVariantList()); // the asker is not relayed any more
    QCOMPARE(capture.texts(), QStringList());
}

void tst_GlobalMessageDispatcher::backChannelCollectsAnswersInConnectionOrder()
{
    QVariantList answers{"kept"};
    Dispatcher::sendGenericBackChannelSignal(nullptr, "who", QVariant(), answers);
    QCOMPARE(answers, QVariantList({"kept"}));

    Answerer first("first");
    Answerer second("second");
    Dispatcher::connect(&second);
    Dispatcher::connect(&first);
    Dispatcher::connect(&second);
    Dispatcher::sendGenericBackChannelSignal(nullptr, "who", 7, answers);
    QCOMPARE(answers, QVariantList({"kept", "second:who:7", "first:who:7"}));

    Asker asker;
    Dispatcher::connect(&asker);
    QCOMPARE(asker.ask("x"), QVariantList({"second:x:", "first:x:"}));
}

void tst_GlobalMessageDispatcher::broadcastsReachReceiversInOtherThreads()
{
    QThread worker;
    worker.start();
    auto remote = std::make_unique<Receiver>();
    remote->moveToThread(&worker);
    Dispatcher::connect(remote.get());
    Receiver local;
    Dispatcher::connect(&local);

    QVariant payload(QStringList{"a", "b"});
    Dispatcher::sendGenericSignal(&local, "threads", payload);
    payload = QVariant(); // the queued copy does not depend on the caller's value
    QCOMPARE(local.deliveries.size(), 1);
    QTRY_COMPARE(remote->count.load(), 1);
    QVERIFY(remote->deliveryThread.load() != QThread::currentThreadId());

    // A sender living in the worker thread reaches the receiver here through
    // a queued relay: the instance re-emits it in its own thread.
    auto remoteSender = std::make_unique<Sender>();
    remoteSender->moveToThread(&worker);
    Dispatcher::connect(remoteSender.get());
    QVERIFY(QMetaObject::invokeMethod(
        remoteSender.get(), [&] { remoteSender->send("from worker", 5); }, Qt::QueuedConnection));
    QTRY_COMPARE(local.deliveries.size(), 2);
    QCOMPARE(local.deliveries[1].type, QStringLiteral("from worker"));
    QCOMPARE(local.deliveries[1].sender, remoteSender.get());
    QTRY_COMPARE(remote->count.load(), 2);

    worker.quit();
    worker.wait();
    QCOMPARE(remote->deliveries.size(), 2);
    QCOMPARE(remote->deliveries[0].data.toStringList(), QStringList({"a", "b"}));
    QCOMPARE(remote->deliveries[0].sender, &local);
}

void tst_GlobalMessageDispatcher::backChannelDoesNotCrossThreads()
{
    QThread worker;
    worker.start();
    Answerer remote("remote");
    remote.moveToThread(&worker);
    Answerer local("local");
    Dispatcher::connect(&remote);
    Dispatcher::connect(&local);

    // The answer list travels by reference and cannot be queued; the toolkit
    // says so once for the connection.
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression("Cannot queue arguments of type 'QVariantList&'"));
    QVariantList answers;
    Dispatcher::sendGenericBackChannelSignal(nullptr, "who", QVariant(), answers);
    Dispatcher::sendGenericBackChannelSignal(nullptr, "who", QVariant(), answers);
    QCOMPARE(answers, QVariantList({"local:who:", "local:who:"}));

    QTest::qWait(50);
    worker.quit();
    worker.wait();
    QCOMPARE(remote.calls.load(), 0);
}

void tst_GlobalMessageDispatcher::participantDestroyedDuringBroadcast()
{
    // The first receiver deletes the second in the middle of the broadcast.
    auto *first = new Receiver;
    auto *second = new Receiver;
    auto *third = new Receiver;
    Dispatcher::connect(first);
    Dispatcher::connect(second);
    Dispatcher::connect(third);
    QObject::connect(first, &Receiver::delivered, first, [&] {
        delete second;
        second = nullptr;
    });
    // And the third deletes itself.
    QObject::connect(third, &Receiver::delivered, third, [&] {
        delete third;
        third = nullptr;
    });

    Dispatcher::sendGenericSignal(nullptr, "boom", 1);
    QVERIFY(second == nullptr);
    QVERIFY(third == nullptr);
    QCOMPARE(first->deliveries.size(), 1);
    Dispatcher::sendGenericSignal(nullptr, "again", 2);
    QCOMPARE(first->deliveries.size(), 2);
    delete first;
    Dispatcher::sendGenericSignal(nullptr, "nobody", 3);
}

void tst_GlobalMessageDispatcher::statusSendersAreFunnelled()
{
    // top (signal) -> plain -> grandchild (signal); top -> second (signal)
    StatusWidget top;
    auto *plain = new QWidget(&top);
    auto *grandchild = new StatusWidget(plain);
    auto *second = new StatusWidget(&top);
    QSignalSpy relayed(Dispatcher::getInstance(), &Dispatcher::showMessage);

    MessageCapture capture;
    Dispatcher::registerStatusSender(nullptr, true);
    Dispatcher::registerStatusSender(plain, false); // no signal: skipped silently
    Dispatcher::registerStatusSender(&top, false);
    grandchild->report("not yet", 1);
    top.report("top", 100);
    QCOMPARE(relayed.count(), 1);
    QCOMPARE(relayed[0], QVariantList({"top", 100}));

    Dispatcher::registerStatusSender(grandchild, false);
    grandchild->report("grandchild", 0);
    second->report("second", 0);
    QCOMPARE(relayed.count(), 2);
    QCOMPARE(relayed[1], QVariantList({"grandchild", 0}));
    QCOMPARE(capture.texts(), QStringList());

    // Recursive: 'second' is new; top and grandchild are refused as doubles.
    Dispatcher::registerStatusSender(&top, true);
    second->report("second", 3);
    top.report("top again", 4);
    QCOMPARE(relayed.count(), 4);
    QCOMPARE(relayed[2], QVariantList({"second", 3}));
    QCOMPARE(relayed[3], QVariantList({"top again", 4}));
    QCOMPARE(capture.texts().size(), 2);
}

void tst_GlobalMessageDispatcher::registeringAgainWritesConnectionFailed()
{
    StatusWidget widget;
    new StatusWidget(&widget);
    Dispatcher::registerStatusSender(&widget, true);

    MessageCapture capture;
    Dispatcher::registerStatusSender(&widget, true);
    const QList<MessageCapture::Message> messages = capture.messages();
    QCOMPARE(messages.size(), 2);
    const QRegularExpression traceLine(
        "^\x1b\\[0m \\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d(\x1b\\[31m \\(\\+\\d+\\)\x1b\\[0m)? "
        "\\(Th= 0x[0-9a-f]+ \\) "
        + QRegularExpression::escape(
            "static void GlobalMessageDispatcher::registerStatusSender(QWidget*, bool) "
            "GlobalMessageDispatcher\\globalmessagedispatcher.cpp ")
        + "\\d+ -> Connection failed $");
    for (const MessageCapture::Message &message : messages) {
        QCOMPARE(message.type, QtDebugMsg);
        QVERIFY2(traceLine.match(message.text).hasMatch(), qPrintable(message.text));
    }
}

QTEST_MAIN(tst_GlobalMessageDispatcher)
#include "tst_globalmessagedispatcher.moc"
