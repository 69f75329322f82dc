// File dialogs of Basics that start where the user last chose something.

#include "Basics/basics.h"
#include "Basics/basics_dialogs_p.h"

namespace {

// The folder of the latest choice in any of the dialogs (GUI thread only).
QString s_lastDirectory;

QStringList filterEntries(const QString &filter)
{
    return filter.split(QStringLiteral(";;"), Qt::KeepEmptyParts, Qt::CaseSensitive);
}

QString suffixPattern(const QString &dir)
{
    if (dir.isEmpty())
        return QString();
    const QString suffix = QFileInfo(dir).suffix();
    return suffix.isEmpty() ? QString() : QStringLiteral("*.") + suffix;
}

void rememberFolderOf(const QString &chosen)
{
    if (!chosen.isEmpty())
        s_lastDirectory = QFileInfo(chosen).absolutePath();
}

} // namespace

namespace BasicsDialogs {

QString nearestExistingDirectory(const QString &path)
{
    QString current = path;
    while (!current.isEmpty() && !QFileInfo(current).isDir()) {
        const QString parent = QDir(current + QStringLiteral("/..")).absolutePath();
        if (parent == current || parent.contains(QStringLiteral("/..")))
            return QString();
        current = parent;
    }
    return current;
}

QString openDialogFilter(const QString &dir, const QString &filter)
{
    const QString pattern = suffixPattern(dir);
    QString candidate;
    if (pattern.isEmpty())
        return candidate;
    for (const QString &entry : filterEntries(filter)) {
        if (entry.contains(pattern, Qt::CaseInsensitive))
            candidate = entry; // the last match wins
    }
    return candidate;
}

QString saveDialogFilter(const QString &dir, const QString &filter, const QString *selectedFilter)
{
    const QStringList entries = filterEntries(filter);
    QString selected;
    if (selectedFilter && entries.contains(*selectedFilter, Qt::CaseSensitive))
        selected = *selectedFilter;
    if (selected.isEmpty()) {
        const QString pattern = suffixPattern(dir);
        if (!pattern.isEmpty()) {
            for (const QString &entry : entries) {
                if (entry.contains(pattern, Qt::CaseInsensitive)) {
                    selected = entry; // the first match wins
                    break;
                }
            }
        }
        if (selected.isEmpty())
            selected = entries.value(0);
    }
    return selected;
}

QString proposedSaveName(const QString &dir, const QString &selectedEntry)
{
    const int patternStart = selectedEntry.indexOf(QStringLiteral("*."));
    // An entry without a "*." pattern ("All files (*)") has no extension to
    // offer: the name stays as it was given.
    if (dir.isEmpty() || selectedEntry.isEmpty() || patternStart < 0)
        return dir;
    QString path = dir;
    const QString suffix = QFileInfo(path).suffix();
    if (!suffix.isEmpty())
        path.truncate(path.lastIndexOf(suffix));
    if (!path.endsWith(QLatin1Char('.')))
        path += QLatin1Char('.');
    QString extension = selectedEntry.mid(patternStart + 2);
    const int close = extension.indexOf(QLatin1Char(')'));
    if (close >= 0)
        extension.truncate(close);
    return path + extension;
}

} // namespace BasicsDialogs

QString BasicsFileDialogs::getLastDirectory()
{
    return s_lastDirectory;
}

void BasicsFileDialogs::setLastDirectory(QString dir)
{
    s_lastDirectory = dir;
}

QString BasicsFileDialogs::getExistingDirectory(QWidget *parent, const QString &caption, const QString &dir,
                                     QFileDialog::Options options)
{
    const QString start = dir.isEmpty() ? s_lastDirectory : dir;
    const QString result = QFileDialog::getExistingDirectory(parent, caption, start, options);
    rememberFolderOf(result); // for a folder: the folder above it
    return result;
}

QString BasicsFileDialogs::getOpenFileName(QWidget *parent, const QString &caption, const QString &dir,
                                const QString &filter, QString *selectedFilter,
                                QFileDialog::Options options)
{
    QString start = dir.isEmpty() ? s_lastDirectory : dir;
    // The caller's selectedFilter is passed on as it is; without one, the
    // entry matching dir's suffix is preselected (the dialog's choice then
    // stays here).
    QString preselected;
    QString *filterChoice = selectedFilter;
    if (!filterChoice) {
        preselected = BasicsDialogs::openDialogFilter(dir, filter);
        if (!preselected.isNull())
            filterChoice = &preselected;
    }
    start = BasicsDialogs::nearestExistingDirectory(start);
    const QString result =
        QFileDialog::getOpenFileName(parent, caption, start, filter, filterChoice, options);
    rememberFolderOf(result);
    return result;
}

QString BasicsFileDialogs::getSaveFileName(QWidget *parent, const QString &caption, const QString &dir,
                                const QString &filter, QString *selectedFilter,
                                QFileDialog::Options options)
{
    QString selected = BasicsDialogs::saveDialogFilter(dir, filter, selectedFilter);
    const QString proposed = BasicsDialogs::proposedSaveName(dir, selected);
    const QString start = proposed.isEmpty() ? s_lastDirectory : proposed;
    const QString result =
        QFileDialog::getSaveFileName(parent, caption, start, filter, &selected, options);
    if (selectedFilter)
        *selectedFilter = selected;
    rememberFolderOf(result);
    return result;
}
