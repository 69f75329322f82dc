// A Phonon back end for the tests: its media objects play nothing and only
// note every call of play(), pause() and stop() in the dynamic property
// "backendCalls" (a QStringList) of the Phonon::MediaObject they serve, so
// that a test sees what was done to the media objects in sound slots.

#include <phonon/backendinterface.h>
#include <phonon/mediaobjectinterface.h>
#include <phonon/mediasource.h>
#include <phonon/phononnamespace.h>

#include <QMultiMap>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QVariant>

class FakeMediaObject : public QObject, public Phonon::MediaObjectInterface
{
    Q_OBJECT
    Q_INTERFACES(Phonon::MediaObjectInterface)

public:
    using MediaSource = Phonon::MediaSource;
    using QObject::QObject;

    void play() override { note("play", Phonon::PlayingState); }
    void pause() override { note("pause", Phonon::PausedState); }
    void stop() override { note("stop", Phonon::StoppedState); }
    void seek(qint64) override {}
    qint32 tickInterval() const override { return 0; }
    void setTickInterval(qint32) override {}
    bool hasVideo() const override { return false; }
    bool isSeekable() const override { return false; }
    qint64 currentTime() const override { return 0; }
    Phonon::State state() const override { return m_state; }
    QString errorString() const override { return QString(); }
    Phonon::ErrorType errorType() const override { return Phonon::NoError; }
    qint64 totalTime() const override { return 1000; }
    Phonon::MediaSource source() const override { return m_source; }
    void setSource(const Phonon::MediaSource &source) override
    {
        m_source = source;
        changeState(Phonon::StoppedState);
    }
    void setNextSource(const Phonon::MediaSource &) override {}
    qint32 prefinishMark() const override { return 0; }
    void setPrefinishMark(qint32) override {}
    qint32 transitionTime() const override { return 0; }
    void setTransitionTime(qint32) override {}

signals:
    void stateChanged(Phonon::State newState, Phonon::State oldState);
    void tick(qint64 time);
    void metaDataChanged(const QMultiMap<QString, QString> &);
    void seekableChanged(bool);
    void hasVideoChanged(bool);
    void bufferStatus(int);
    void finished();
    void aboutToFinish();
    void prefinishMarkReached(qint32);
    void totalTimeChanged(qint64);
    // Phonon connects to this one by the unqualified type name.
    void currentSourceChanged(const MediaSource &);

private:
    void note(const char *call, Phonon::State state)
    {
        if (QObject *mediaObject = parent()) {
            QStringList calls = mediaObject->property("backendCalls").toStringList();
            calls << QString::fromLatin1(call);
            mediaObject->setProperty("backendCalls", calls);
        }
        changeState(state);
    }
    void changeState(Phonon::State state)
    {
        const Phonon::State old = m_state;
        m_state = state;
        if (old != state)
            emit stateChanged(state, old);
    }

    Phonon::MediaSource m_source;
    Phonon::State m_state = Phonon::LoadingState;
};

class FakeBackend : public QObject, public Phonon::BackendInterface
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.basicsdll.tests.phonon.fake" FILE "fakephononbackend.json")
    Q_INTERFACES(Phonon::BackendInterface)

public:
    using QObject::QObject;

    QObject *createObject(Class c, QObject *parent, const QList<QVariant> & = {}) override
    {
        return c == MediaObjectClass ? new FakeMediaObject(parent) : nullptr;
    }
    QList<int> objectDescriptionIndexes(Phonon::ObjectDescriptionType) const override { return {}; }
    QHash<QByteArray, QVariant> objectDescriptionProperties(Phonon::ObjectDescriptionType,
                                                            int) const override
    {
        return {};
    }
    bool startConnectionChange(QSet<QObject *>) override { return true; }
    bool connectNodes(QObject *, QObject *) override { return true; }
    bool disconnectNodes(QObject *, QObject *) override { return true; }
    bool endConnectionChange(QSet<QObject *>) override { return true; }
    QStringList availableMimeTypes() const override { return {QStringLiteral("audio/mpeg")}; }

    using ObjectDescriptionType = Phonon::ObjectDescriptionType;

signals:
    // Phonon connects to this one by the unqualified type name.
    void objectDescriptionChanged(ObjectDescriptionType);
};

#include "fakephononbackend.moc"
