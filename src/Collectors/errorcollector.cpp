#include "Collectors/errorcollector.h"

QPointer<ErrorCollector> ErrorCollector::s_instance;

ErrorCollector::ErrorCollector(QObject *parent)
    : QObject(parent)
    , m_issues(new QList<Issue>)
{
}

ErrorCollector::~ErrorCollector()
{
    delete m_issues;
}

void ErrorCollector::add(Severity severity, const QString &text, const QVariant &data)
{
    m_issues->append(Issue{severity, text, data});
}

void ErrorCollector::clear()
{
    m_issues->clear();
}

QList<ErrorCollector::Issue> ErrorCollector::issues() const
{
    return *m_issues;
}
