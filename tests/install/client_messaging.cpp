// Client of the installed package: application messaging as a tool uses it.
// Its own participant objects join the dispatcher by signature; status
// messages, the embedded sounds and both collectors are checked against
// their documented results.

#include "clientcheck.h"

#include <Collectors/errorcollector.h>
#include <Collectors/signalcollector.h>
#include <GlobalMessageDispatcher/globalmessagedispatcher.h>
#include <StatusMessageCenter/mysound.h>
#include <StatusMessageCenter/statusmessagecenter.h>

#include <QApplication>
#include <QColor>
#include <QFile>
#include <QWidget>

namespace {

class LensView : public QObject
{
    Q_OBJECT
public:
    QStringList heard;
    void announce(const QString &type) { emit genericSignal(this, type, objectName()); }

signals:
    void genericSignal(QObject *sender, const QString &type, QVariant genericData);

public slots:
    void genericSlot(QObject *sender, const QString &type, QVariant genericData)
    {
        heard << (sender == this ? "self:" : "other:") + type + ":" + genericData.toString();
    }
};

class SurfaceTable : public QObject
{
    Q_OBJECT
public slots:
    void genericBackChannelSlot(QObject *, const QString &type, const QVariant &,
                                QVariantList &genericAnswers)
    {
        if (type == QLatin1String("openFiles"))
            genericAnswers << QStringLiteral("lens.zmx");
    }
};

class StatusLine : public QWidget
{
    Q_OBJECT
public:
    void report(const QString &text) { emit statusMessage(text, 2000); }

signals:
    void statusMessage(const QString &message, int timeout);
};

QStringList s_debugLines;
void collect(QtMsgType type, const QMessageLogContext &, const QString &text)
{
    if (type == QtDebugMsg)
        s_debugLines << text;
}

void dispatcher()
{
    LensView first;
    first.setObjectName("first");
    LensView second;
    second.setObjectName("second");
    SurfaceTable table;
    QObject bystander;
    for (QObject *object : {static_cast<QObject *>(&first), static_cast<QObject *>(&second),
                            static_cast<QObject *>(&table), &bystander})
        GlobalMessageDispatcher::connect(object);
    GlobalMessageDispatcher::connect(&first); // no second connection

    first.announce("lensChanged");
    CLIENT_CHECK(first.heard == QStringList{"self:lensChanged:first"});
    CLIENT_CHECK(second.heard == QStringList{"other:lensChanged:first"});
    GlobalMessageDispatcher::sendGenericSignal(nullptr, "units", "mm");
    CLIENT_CHECK(second.heard.value(1) == QLatin1String("other:units:mm"));

    QVariantList answers{"kept"};
    GlobalMessageDispatcher::sendGenericBackChannelSignal(&first, "openFiles", QVariant(), answers);
    CLIENT_CHECK(answers == (QVariantList{"kept", "lens.zmx"}));

    GlobalMessageDispatcher::disconnect(&second);
    first.announce("again");
    CLIENT_CHECK(second.heard.size() == 2);
    CLIENT_CHECK(GlobalMessageDispatcher::getInstance() == GlobalMessageDispatcher::m_instance);
    CLIENT_CHECK(GlobalMessageDispatcher::getInstance()->parent() == qApp);

    QString lastStatus;
    QObject::connect(GlobalMessageDispatcher::getInstance(), &GlobalMessageDispatcher::showMessage,
                     [&](const QString &message, int) { lastStatus = message; });
    QWidget window;
    auto *status = new StatusLine;
    status->setParent(&window);
    GlobalMessageDispatcher::registerStatusSender(&window, true);
    status->report("Ready");
    CLIENT_CHECK(lastStatus == QLatin1String("Ready"));

    s_debugLines.clear();
    const QtMessageHandler previous = qInstallMessageHandler(collect);
    GlobalMessageDispatcher::registerStatusSender(&window, true);
    qInstallMessageHandler(previous);
    CLIENT_CHECK(s_debugLines.size() == 1);
    CLIENT_CHECK(s_debugLines.value(0).contains(
        QLatin1String("static void GlobalMessageDispatcher::registerStatusSender(QWidget*, bool) "
                      "GlobalMessageDispatcher\\globalmessagedispatcher.cpp ")));
    CLIENT_CHECK(s_debugLines.value(0).endsWith(QLatin1String(" -> Connection failed ")));
}

void statusMessages()
{
    CLIENT_CHECK(StatusMessageCenter::sounds() == StatusMessageCenter::AllSounds);
    QColor shown;
    int timeout = -1;
    QObject::connect(StatusMessageCenter::getInstance(), &StatusMessageCenter::onShowMessage,
                     [&](const QString &, const QColor &color, int t) {
                         shown = color;
                         timeout = t;
                     });
    StatusMessageCenter::showMessage(StatusMessageCenter::Error, "Lens not found", 0);
    CLIENT_CHECK(shown == QColor("coral") && timeout == 0);
    StatusMessageCenter::showMessage(StatusMessageCenter::Normal, "Saved", 3000);
    CLIENT_CHECK(!shown.isValid() && timeout == 3000);
    Phonon::MediaObject *slot = StatusMessageCenter::getInstance()->soundObject(
        StatusMessageCenter::Error);
    CLIENT_CHECK(slot == nullptr);

    // The library's sounds are registered with the resource system on load.
    CLIENT_CHECK(QFile(":/Sounds/error").size() == 31346);
    CLIENT_CHECK(QFile(":/Sounds/snapshot").size() == 2925);
    MySound click(":/Sounds/snapshot");
    MySound copy(click);
    CLIENT_CHECK(copy.soundFile() == QLatin1String(":/Sounds/snapshot"));
    MySound missing("/no/such/sound.wav");
    missing.play();
    CLIENT_CHECK(missing.soundFile() == QLatin1String("/no/such/sound.wav"));
}

void collectors()
{
    SignalCollector collector;
    QVariant flushed;
    int level = 0;
    int bare = 0;
    QObject::connect(&collector, &SignalCollector::triggered, [&](const QVariant &value, int l) {
        flushed = value;
        level = l;
    });
    QObject counter;
    QObject::connect(&collector, SIGNAL(triggered()), &counter, SLOT(deleteLater()));
    QObject::connect(&collector, &SignalCollector::triggered, [&] { ++bare; });
    {
        AutoSignalCollector bracket(&collector);
        collector.trigger("A", 1);
        collector.trigger("A", 3);
        collector.trigger("B", 2);
        collector.trigger("A", 0);
        CLIENT_CHECK(bare == 0);
    }
    CLIENT_CHECK(flushed == QVariant(QVariantList{"A", "B", "A"}));
    CLIENT_CHECK(level == 3 && bare == 1);
    CLIENT_CHECK(SignalCollector::s_instanceCounter == 1);

    auto *errors = new ErrorCollector(nullptr);
    ErrorCollector::s_instance = errors;
    ErrorCollector::s_instance->add(ErrorCollector::Warning, "Glass not in catalog", "N-XYZ");
    CLIENT_CHECK(errors->issues().size() == 1);
    CLIENT_CHECK(errors->issues().value(0).text == QLatin1String("Glass not in catalog"));
    delete errors;
    CLIENT_CHECK(ErrorCollector::s_instance.isNull());
}

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    dispatcher();
    statusMessages();
    collectors();
    return CLIENT_RESULT();
}

#include "client_messaging.moc"
