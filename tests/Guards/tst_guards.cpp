// Scoped guards: each changes one piece of state for a scope and puts it
// back at its end.

#include <Guards/cursorguards.h>
#include <Guards/lockers.h>
#include <Guards/processevents.h>
#include <Guards/signalblocker.h>
#include <Guards/staterestore.h>

#include "testsupport/memorylimit.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTimer>
#include <QtConcurrent>
#include <QtTest>

class tst_Guards : public QObject
{
    Q_OBJECT

private slots:
    void stateRestoreWritesTheSnapshotBack();
    void stateRestoreIgnoresEmptyTargets();
    void stateRestoreSetReplacesTheTarget();
    void stateRestoreTooLargeForTheMemory();
    void signalBlockerBlocksAndRestores();
    void signalBlockerUnblocksForTheScope();
    void signalBlockerSurvivesItsObject();
    void overrideCursorPushesAndPops();
    void nestedWaitCursorsShareOneEntry();
    void lockersTakeAndReleaseTheLock();
    void nullLockersDoNothing();
    void processEventsIsThrottled();

private:
    static Qt::CursorShape currentOverrideShape()
    {
        const QCursor *cursor = QGuiApplication::overrideCursor();
        return cursor ? cursor->shape() : Qt::CustomCursor;
    }
};

void tst_Guards::stateRestoreWritesTheSnapshotBack()
{
    int number = 5;
    bool flag = true;
    struct Plain
    {
        double x;
        char tag[4];
    } plain{1.5, "abc"};
    {
        StateRestore restoreNumber(number);
        StateRestore restoreFlag(flag);
        StateRestore restorePlain(&plain, int(sizeof plain));
        number = 7;
        flag = false;
        plain = {-2.0, "xyz"};
    }
    QCOMPARE(number, 5);
    QCOMPARE(flag, true);
    QCOMPARE(plain.x, 1.5);
    QCOMPARE(QByteArray(plain.tag), QByteArray("abc"));
}

void tst_Guards::stateRestoreIgnoresEmptyTargets()
{
    int number = 5;
    {
        StateRestore nullTarget(nullptr, 4);
        StateRestore zeroSize(&number, 0);
        StateRestore negativeSize(&number, -4);
        number = 7;
    }
    QCOMPARE(number, 7);
}

void tst_Guards::stateRestoreSetReplacesTheTarget()
{
    int first = 1;
    int second = 2;
    {
        StateRestore restore(first);
        restore.set(&second, int(sizeof second));
        restore.set(nullptr, 4); // changes nothing
        restore.set(&first, 0);  // changes nothing
        first = 10;
        second = 20;
    }
    QCOMPARE(first, 10);
    QCOMPARE(second, 2);
}

void tst_Guards::stateRestoreTooLargeForTheMemory()
{
    // A 128 MB snapshot with 32 MB to spare: an empty guard, no exception
    // (std::bad_alloc used to leave the constructor); set() keeps the old one.
    if (!MemoryLimit::supported())
        QSKIP("a sanitizer build cannot run under an address-space limit");
    QByteArray large(128 << 20, 'a');
    QCOMPARE(MemoryLimit::run(32 << 20, [&] {
                 int number = 1;
                 {
                     StateRestore tooLarge(large.data(), large.size());
                     StateRestore restore(number);
                     restore.set(large.data(), large.size());
                     number = 2;
                     if (tooLarge.holdsSnapshot() || !restore.holdsSnapshot())
                         return false;
                 }
                 return number == 1;
             }),
             MemoryLimit::Passed);
}

void tst_Guards::signalBlockerBlocksAndRestores()
{
    QObject object;
    QSignalSpy spy(&object, &QObject::objectNameChanged);
    {
        SignalBlocker blocker(&object, SignalBlocker::BlockSignals);
        object.setObjectName("inside");
    }
    QCOMPARE(spy.count(), 0);
    QVERIFY(!object.signalsBlocked());
    object.setObjectName("after");
    QCOMPARE(spy.count(), 1);

    // Already blocked before: still blocked after.
    object.blockSignals(true);
    {
        SignalBlocker blocker(&object, SignalBlocker::BlockSignals);
    }
    QVERIFY(object.signalsBlocked());
}

void tst_Guards::signalBlockerUnblocksForTheScope()
{
    QObject object;
    QSignalSpy spy(&object, &QObject::objectNameChanged);
    object.blockSignals(true);
    {
        SignalBlocker blocker(&object, SignalBlocker::UnblockSignals);
        object.setObjectName("inside");
        QCOMPARE(spy.count(), 1);
    }
    QVERIFY(object.signalsBlocked());

    // Any mode other than 0 unblocks.
    {
        SignalBlocker blocker(&object, static_cast<SignalBlocker::BlockMode>(7));
        QVERIFY(!object.signalsBlocked());
    }
    QVERIFY(object.signalsBlocked());
}

void tst_Guards::signalBlockerSurvivesItsObject()
{
    {
        auto *object = new QObject;
        SignalBlocker blocker(object, SignalBlocker::BlockSignals);
        delete object; // the guard must not touch it at its end
    }
    {
        SignalBlocker blocker(nullptr, SignalBlocker::UnblockSignals);
    }
}

void tst_Guards::overrideCursorPushesAndPops()
{
    QCOMPARE(QGuiApplication::overrideCursor(), static_cast<QCursor *>(nullptr));
    {
        MyOverrideCursor outer(Qt::CrossCursor);
        QCOMPARE(currentOverrideShape(), Qt::CrossCursor);
        {
            MyOverrideCursor inner{QCursor(Qt::IBeamCursor)};
            QCOMPARE(currentOverrideShape(), Qt::IBeamCursor);
        }
        QCOMPARE(currentOverrideShape(), Qt::CrossCursor);
    }
    QCOMPARE(QGuiApplication::overrideCursor(), static_cast<QCursor *>(nullptr));
}

void tst_Guards::nestedWaitCursorsShareOneEntry()
{
    MyOverrideCursor below(Qt::ArrowCursor);
    {
        MyWaitCursor outer;
        QCOMPARE(currentOverrideShape(), Qt::WaitCursor);
        {
            MyWaitCursor middle;
            {
                MyWaitCursor inner;
                QCOMPARE(currentOverrideShape(), Qt::WaitCursor);
            }
            QCOMPARE(currentOverrideShape(), Qt::WaitCursor);
        }
        QCOMPARE(currentOverrideShape(), Qt::WaitCursor);
    }
    // Exactly one entry was popped: the cursor below is on top again.
    QCOMPARE(currentOverrideShape(), Qt::ArrowCursor);
}

void tst_Guards::lockersTakeAndReleaseTheLock()
{
    QReadWriteLock lock;
    {
        MyReadLocker first(&lock);
        MyReadLocker second(&lock); // readers share
        QVERIFY(!lock.tryLockForWrite());
    }
    QVERIFY(lock.tryLockForWrite());
    lock.unlock();

    {
        MyWriteLocker writer(&lock);
        QVERIFY(!lock.tryLockForRead());
        // Another thread cannot take it either while the guard holds it.
        QVERIFY(!QtConcurrent::run([&lock] { return lock.tryLockForRead(); }).result());
    }
    QVERIFY(lock.tryLockForRead());
    lock.unlock();
}

void tst_Guards::nullLockersDoNothing()
{
    MyReadLocker reader(nullptr);
    MyWriteLocker writer(nullptr);
}

void tst_Guards::processEventsIsThrottled()
{
    int delivered = 0;
    auto post = [&delivered] {
        QMetaObject::invokeMethod(qApp, [&delivered] { ++delivered; }, Qt::QueuedConnection);
    };

    ProcessEvents pump(QEventLoop::AllEvents, 100);
    post();
    pump.exec(); // within 100 ms of construction: nothing processed
    QCOMPARE(delivered, 0);

    QTest::qSleep(120);
    pump.exec();
    QCOMPARE(delivered, 1);

    post();
    pump.exec(); // within 100 ms of the last processing
    QCOMPARE(delivered, 1);
    QTest::qSleep(120);
    pump.exec();
    QCOMPARE(delivered, 2);
}

QTEST_MAIN(tst_Guards)
#include "tst_guards.moc"
