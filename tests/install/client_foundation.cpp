// Client of the installed package: diagnostics, guards, identifiers and the
// re-exported muParser, used as a tool would use them.

#include "clientcheck.h"

#include <BasicsDLL.h>
#include <Guards/cursorguards.h>
#include <Guards/lockers.h>
#include <Guards/processevents.h>
#include <Guards/signalblocker.h>
#include <Guards/staterestore.h>
#include <Identifier/identifier.h>
#include <Output/output.h>

#include <muParser.h>

#include <QGuiApplication>
#include <QRegularExpression>
#include <QThread>

namespace {

QStringList s_lines;
void collect(QtMsgType type, const QMessageLogContext &, const QString &text)
{
    if (type == QtDebugMsg)
        s_lines << text;
}

void diagnostics()
{
    s_lines.clear();
    const QtMessageHandler previous = qInstallMessageHandler(collect);

    CLIENT_CHECK(Output::TimeHelper::s_last.isNull());
    CLIENT_CHECK(MyWarnings::debugLevel == 0 && !MyWarnings::onlySingleLevel);
    CLIENT_CHECK(MyWarnings::_elapsed_() == QLatin1String("00:00:00:000"));
    const QString first = Output::TimeHelper::showTime();
    CLIENT_CHECK(QRegularExpression("^\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d$").match(first).hasMatch());
    const QString second = Output::TimeHelper::showTime();
    CLIENT_CHECK(second.contains(QLatin1String("\x1b[31m (+")));
    CLIENT_CHECK(Output::TimeHelper::elapsed() >= 0);

    BASICS_TRACE << "client" << 7;
    BASICS_DEBUG(-99) << "shown";
    BASICS_DEBUG(2) << "hidden";
    MyWarnings::debugLevel = 3;
    BASICS_DEBUG_NOLOC(2) << "now shown";
    MyWarnings::debugLevel = 0;
    {
        Output::AutoStopWatch watch("client watch");
    }
    qInstallMessageHandler(previous);

    CLIENT_CHECK(s_lines.size() == 5);
    CLIENT_CHECK(s_lines.value(0).startsWith(QLatin1String("\x1b[0m ")));
    CLIENT_CHECK(s_lines.value(0).endsWith(QLatin1String(" -> client 7 ")));
    CLIENT_CHECK(s_lines.value(0).contains(QLatin1String("(Th= 0x")));
    CLIENT_CHECK(s_lines.value(1).endsWith(QLatin1String(")  shown ")));
    CLIENT_CHECK(s_lines.value(2).endsWith(QLatin1String("\" now shown ")));
    CLIENT_CHECK(s_lines.value(3).endsWith(QLatin1String(") client watch -> STARTED ")));
    CLIENT_CHECK(s_lines.value(4).contains(QLatin1String("client watch -> FINISHED (\x1b[31m")));
}

void guards()
{
    int value = 5;
    {
        StateRestore restore(value);
        value = 7;
    }
    CLIENT_CHECK(value == 5);
    bool flag = false;
    {
        StateRestore restore(flag);
        restore.set(nullptr, 1);
        flag = true;
    }
    CLIENT_CHECK(!flag);
    double plain = 1.5;
    {
        StateRestore restore(static_cast<void *>(&plain), int(sizeof plain));
        plain = 2.5;
    }
    CLIENT_CHECK(plain == 1.5);

    QObject object;
    {
        SignalBlocker blocker(&object, SignalBlocker::BlockSignals);
        CLIENT_CHECK(object.signalsBlocked());
    }
    CLIENT_CHECK(!object.signalsBlocked());

    {
        MyOverrideCursor cross(Qt::CrossCursor);
        MyWaitCursor outer;
        MyWaitCursor inner;
        CLIENT_CHECK(QGuiApplication::overrideCursor()->shape() == Qt::WaitCursor);
    }
    CLIENT_CHECK(QGuiApplication::overrideCursor() == nullptr);

    QReadWriteLock lock;
    {
        MyWriteLocker writer(&lock);
        CLIENT_CHECK(!lock.tryLockForRead());
    }
    {
        MyReadLocker reader(&lock);
        MyReadLocker none(nullptr);
    }
    CLIENT_CHECK(lock.tryLockForWrite());
    lock.unlock();

    ProcessEvents pump(QEventLoop::AllEvents, 50);
    pump.exec();
}

void identifiers()
{
    Identifier a;
    CLIENT_CHECK(a.id() != 0 && a.id() <= Identifier::s_bitMask);
    CLIENT_CHECK(Identifier::s_all.contains(a.id()));
    CLIENT_CHECK(Identifier::numBits() == 48);
    CLIENT_CHECK(Identifier::createID() != 0);
    CLIENT_CHECK(Identifier::idToHexString(Q_UINT64_C(0x123456789ABC))
                 == QLatin1String("[00|00|12|34|56|78|9A|BC]"));

    Identifier::s_trackReplacements = true;
    Identifier::push();
    Identifier::s_copyMode = Identifier::OffsetID;
    Identifier::s_delta = 2;
    Identifier b(a);
    Identifier::pop();
    CLIENT_CHECK(Identifier::s_copyMode == Identifier::NewID && Identifier::s_delta == 1);
    CLIENT_CHECK(b.id() == ((a.id() + 2) & Identifier::s_bitMask));
    CLIENT_CHECK(Identifier::s_replacements.value(a.id()) == b.id());
    Identifier c(a, Identifier::KeepID);
    CLIENT_CHECK(c.id() == a.id());
    Identifier::s_trackReplacements = false;
    {
        QMutexLocker locker(&Identifier::s_mutex);
        CLIENT_CHECK(Identifier::s_copyModeStack.isEmpty() && Identifier::s_deltaStack.isEmpty());
    }

    b.setID(0, QSet<quint64>());
    CLIENT_CHECK(b.id() != 0 && !QSet<quint64>{a.id()}.contains(b.id()));
    b.setID(a.id(), QSet<quint64>{a.id()});
    CLIENT_CHECK(b.id() != a.id());
}

void expressions()
{
    mu::Parser parser;
    double x = 3.0;
    parser.DefineVar("x", &x);
    parser.SetExpr("x^2 + sin(0)");
    CLIENT_CHECK(parser.Eval() == 9.0);
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication application(argc, argv);
    diagnostics();
    guards();
    identifiers();
    expressions();
    return CLIENT_RESULT();
}
