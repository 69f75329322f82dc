#pragma once

// Participant objects of the dispatcher tests: each declares a different
// subset of the members that the dispatcher looks up by signature.

#include <QObject>
#include <QString>
#include <QThread>
#include <QVariant>
#include <QVariantList>
#include <QWidget>

#include <atomic>

struct Delivery
{
    QObject *sender;
    QString type;
    QVariant data;
};

/// Receives broadcasts only.
class Receiver : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    QList<Delivery> deliveries;
    std::atomic<Qt::HANDLE> deliveryThread{nullptr};
    std::atomic<int> count{0};

public slots:
    void genericSlot(QObject *sender, const QString &type, QVariant genericData)
    {
        deliveryThread = QThread::currentThreadId();
        deliveries.append({sender, type, genericData});
        ++count;
        emit delivered();
    }

signals:
    void delivered();
};

/// Sends broadcasts only.
class Sender : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    void send(const QString &type, const QVariant &data) { emit genericSignal(this, type, data); }

signals:
    void genericSignal(QObject *sender, const QString &type, QVariant genericData);
};

/// Sends and receives broadcasts.
class Peer : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    QList<Delivery> deliveries;
    void send(const QString &type, const QVariant &data) { emit genericSignal(this, type, data); }

signals:
    void genericSignal(QObject *sender, const QString &type, QVariant genericData);

public slots:
    void genericSlot(QObject *sender, const QString &type, QVariant genericData)
    {
        deliveries.append({sender, type, genericData});
    }
};

/// Answers back-channel requests with its name.
class Answerer : public QObject
{
    Q_OBJECT
public:
    explicit Answerer(const QString &name, QObject *parent = nullptr)
        : QObject(parent)
    {
        setObjectName(name);
    }
    std::atomic<int> calls{0};

public slots:
    void genericBackChannelSlot(QObject *, const QString &type, const QVariant &genericData,
                                QVariantList &genericAnswers)
    {
        ++calls;
        genericAnswers << QVariant(objectName() + ":" + type + ":" + genericData.toString());
    }
};

/// Sends back-channel requests.
class Asker : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    QVariantList ask(const QString &type)
    {
        QVariantList answers;
        emit genericBackChannelSignal(this, type, QVariant(), answers);
        return answers;
    }

signals:
    void genericBackChannelSignal(QObject *sender, const QString &type,
                                  const QVariant &genericData, QVariantList &genericAnswers);
};

/// A widget that reports status messages.
class StatusWidget : public QWidget
{
    Q_OBJECT
public:
    using QWidget::QWidget;
    void report(const QString &message, int timeout) { emit statusMessage(message, timeout); }

signals:
    void statusMessage(const QString &message, int timeout);
};
