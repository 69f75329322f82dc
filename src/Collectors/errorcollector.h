#pragma once

// ErrorCollector: gathers issues (a severity, a text and a payload) in the
// order in which they are added, for the application to read back as one
// list.
//
//     ErrorCollector collector(this);
//     ErrorCollector::s_instance = &collector;      // the collector in use
//     collector.add(ErrorCollector::Warning, "Glass not in catalog", glassName);
//     for (const ErrorCollector::Issue &issue : collector.issues()) ...
//
// s_instance is a guarded pointer: it turns null by itself when the
// collector it names is destroyed. The library never sets it.

#include <basicsdll_export.h>

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>

/// Gathers the issues of an operation (severity, text, data) for one report
/// at its end (see the top of this header).
class BASICSDLL_EXPORT ErrorCollector : public QObject
{
    Q_OBJECT

public:
    /// Stored as given; the collector does not interpret it. Fixed to int,
    /// so that any value an application passes is kept unchanged.
    enum Severity : int { Information = 0, Warning = 1, Error = 2, Fatal = 3 };
    Q_ENUM(Severity)

/// One collected issue.
    struct Issue
    {
/// How severe the issue is, as given.
        Severity severity = Information;
/// The message.
        QString text;
/// Anything the caller attached.
        QVariant data;
    };

/// An empty collector.
    explicit ErrorCollector(QObject *parent = nullptr);
    ~ErrorCollector() override;

    /// Appends one issue.
    void add(Severity severity, const QString &text, const QVariant &data = QVariant());
    /// Empties the list; lists handed out before keep their issues.
    void clear();
    /// A copy of the list, in the order of adding.
    QList<Issue> issues() const;

    /// The collector in use, set by the application; null when it is gone.
    static QPointer<ErrorCollector> s_instance;

private:
    QList<Issue> *m_issues; // owned
};

Q_DECLARE_METATYPE(ErrorCollector::Issue)
