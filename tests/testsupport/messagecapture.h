#pragma once

// Collects what reaches the toolkit's message output while it lives, so that
// tests can look at diagnostic lines exactly as a message handler gets them.

#include <QList>
#include <QMutex>
#include <QMutexLocker>
#include <QString>
#include <QtGlobal>

class MessageCapture
{
public:
    struct Message
    {
        QtMsgType type;
        QString text;
    };

    MessageCapture()
    {
        s_current = this;
        m_previous = qInstallMessageHandler(&MessageCapture::handler);
    }
    ~MessageCapture()
    {
        qInstallMessageHandler(m_previous);
        s_current = nullptr;
    }

    QList<Message> messages() const
    {
        QMutexLocker lock(&m_mutex);
        return m_messages;
    }
    QStringList texts() const
    {
        QStringList result;
        for (const Message &message : messages())
            result << message.text;
        return result;
    }
    void clear()
    {
        QMutexLocker lock(&m_mutex);
        m_messages.clear();
    }

private:
    static void handler(QtMsgType type, const QMessageLogContext &, const QString &text)
    {
        if (MessageCapture *capture = s_current) {
            QMutexLocker lock(&capture->m_mutex);
            capture->m_messages.append({type, text});
        }
    }

    static inline MessageCapture *s_current = nullptr;
    QtMessageHandler m_previous = nullptr;
    mutable QMutex m_mutex;
    QList<Message> m_messages;
};
