// Path helpers of Basics: compacting for display, relating, descending and
// removing trees.

#include "Basics/basics.h"

#include "Output/output.h"

#include <QCoreApplication>
#include <QFile>
#include <QFontMetrics>
#include <QWidget>

namespace {

// The largest n in [low, high] for which fits(n) holds, or low - 1 when
// there is none. The widths of the candidates grow with n (each step adds
// one character), so a binary search finds the same n as trying
// n = high, high - 1, ... one by one, with a logarithmic number of
// measurements instead of a linear one.
template <class Fits>
int largestFitting(int low, int high, const Fits &fits)
{
    int best = low - 1;
    while (low <= high) {
        const int middle = low + (high - low) / 2;
        if (fits(middle)) {
            best = middle;
            low = middle + 1;
        } else {
            high = middle - 1;
        }
    }
    return best;
}

int removeLink(const QFileInfo &link)
{
    // The link itself, never its target: a file link is unlinked; a
    // directory link that the system treats as a directory (Windows) goes
    // with rmdir, which does not follow it either.
    const QString path = link.absoluteFilePath();
    if (QFile::remove(path) || QDir().rmdir(path))
        return 0;
    BASICS_DEBUG_NOLOC(-99) << "FAILED REMOVE:" << path;
    return 1;
}

} // namespace

QString Basics::compactPath(QString path, int maxWidth, const QFont &font)
{
    const QFontMetrics metrics(font);
    if (metrics.horizontalAdvance(path) <= maxWidth)
        return path;

    const QFileInfo info(path);
    const QString dir = QDir::toNativeSeparators(info.absolutePath());
    QString name = info.fileName();
    const QString ellipsis = QStringLiteral("...");
    const QString separator = QDir::separator();

    // Directory characters go first, from the right.
    const QString tail = ellipsis + separator + name;
    const int kept = largestFitting(0, dir.size(), [&](int n) {
        return metrics.horizontalAdvance(dir.left(n) + tail) <= maxWidth;
    });
    if (kept >= 0)
        return dir.left(kept) + tail;

    // No directory character left and still too wide: the name loses
    // characters from its end, but keeps at least one.
    const QString front = ellipsis + separator;
    const int nameKept = name.size() <= 1 ? name.size() : largestFitting(1, name.size(), [&](int n) {
        return metrics.horizontalAdvance(front + name.left(n) + ellipsis) <= maxWidth;
    });
    name.truncate(nameKept < 1 ? 1 : nameKept);
    return front + name + ellipsis;
}

QString Basics::compactPath(QString path, QWidget *widget)
{
    if (!widget)
        return path;
    return compactPath(path, widget->geometry().width(), widget->font());
}

QString Basics::relativeFilePath(QString folder, QString path)
{
    folder = QFileInfo(folder).canonicalFilePath();
    path = QFileInfo(path).canonicalFilePath();
    // A missing folder relates nothing (the empty text would match every
    // path and cost an absolute path its leading '/').
    if (folder.isEmpty())
        return path;
    if (path.indexOf(folder, 0, Qt::CaseInsensitive) == 0) {
        path.remove(0, folder.size());
        if (path.startsWith(QLatin1Char('/')))
            path.remove(0, 1);
    }
    return path;
}

QDir Basics::toDir(const QFileInfo &info)
{
    if (info.exists() && info.isDir())
        return QDir(info.canonicalFilePath());
    return QDir(QString());
}

bool Basics::isDescendant(QDir folder, QFileInfo item)
{
    if (!folder.exists() || !item.exists())
        return false;
    const QFileInfo target(folder.canonicalPath());
    // Absolute, so that going up ends at the root.
    QDir d(item.absolutePath());
    while (d.exists()) {
        const QString canonical = d.canonicalPath();
        if (QFileInfo(canonical) == target)
            return true;
        if (!d.cdUp() || d.canonicalPath() == canonical)
            break;
    }
    return false;
}

int Basics::removeRecursively(const QFileInfo &info)
{
    // A link is an entry of the tree in its own right: removing what it
    // points to could reach outside the tree.
    if (!info.exists())
        return 0;
    if (info.isSymLink())
        return removeLink(info);

    if (info.isDir()) {
        const QString canonical = info.canonicalFilePath();
        int failures = 0;
        const QFileInfoList entries = QDir(canonical).entryInfoList(
            QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot, QDir::NoSort);
        for (const QFileInfo &entry : entries)
            failures += removeRecursively(entry);
        if (!QDir().rmdir(canonical)) {
            BASICS_DEBUG_NOLOC(-99) << "FAILED RMDIR:" << canonical;
            ++failures;
        }
        return failures;
    }
    if (info.isFile()) {
        const QString canonical = info.canonicalFilePath();
        if (QFile::remove(canonical))
            return 0;
        BASICS_DEBUG_NOLOC(-99) << "FAILED REMOVE:" << canonical;
        return 1;
    }
    return 0;
}

QString Basics::getApplicationFolder()
{
    QString folder = QCoreApplication::applicationDirPath();
    const QStringList arguments = QCoreApplication::arguments();
    const int index = arguments.indexOf(QStringLiteral("-applicationFolder"));
    if (index >= 0) {
        const QString given = arguments.value(index + 1).trimmed();
        if (!given.isEmpty())
            folder = given;
    }
    folder.remove(QChar(34));
    if (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QLatin1Char('\\')))
        folder.chop(1);
    return folder;
}
