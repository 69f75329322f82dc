// Path helpers of Basics: compacting for display, relating, descending and
// removing trees.

#include "Basics/basics.h"

#include "Output/output.h"
#include "Platform/treeremover.h"

#include <QCoreApplication>
#include <QFile>
#include <QFontMetrics>
#include <QWidget>

#include <algorithm>
#include <iterator>

namespace {

// The largest n in [low, high] for which fits(n) holds, or low - 1 when
// there is none. The candidates differ by one character at the same place,
// so their widths grow with n, and the largest fitting n is the one the
// literal rule (try n = high, high - 1, ... and measure each candidate)
// stops at. \a guess, an estimate of the answer, is checked first; from
// there the search gallops and bisects, so a good guess costs two
// measurements and a bad one a logarithmic number.
template <class Fits>
int largestFitting(int low, int high, int guess, const Fits &fits)
{
    guess = qBound(low, guess, high);
    int good = low - 1; // largest n known to fit
    int bad = high + 1; // smallest n known not to fit
    if (fits(guess)) {
        good = guess;
        for (int probe = 0; good < high; ++probe) {
            // One step at a time first: the guess is rarely far off.
            const int step = probe < 2 ? 1 : 1 << qMin(probe - 1, 30);
            const int next = qMin(good + step, high);
            if (!fits(next)) {
                bad = next;
                break;
            }
            good = next;
        }
    } else {
        bad = guess;
        for (int probe = 0; bad > low; ++probe) {
            const int step = probe < 2 ? 1 : 1 << qMin(probe - 1, 30);
            const int next = qMax(bad - step, low);
            if (fits(next)) {
                good = next;
                break;
            }
            bad = next;
        }
    }
    while (bad - good > 1) {
        const int middle = good + (bad - good) / 2;
        if (fits(middle))
            good = middle;
        else
            bad = middle;
    }
    return good;
}

// The same answer as largestFitting found the literal way, trying n = high,
// high - 1, ... down to low: for fonts whose spacing can give a character a
// negative advance, so that a candidate may fit while a shorter one does not.
template <class Fits>
int largestFittingFromTop(int low, int high, const Fits &fits)
{
    for (int n = high; n >= low; --n) {
        if (fits(n))
            return n;
    }
    return low - 1;
}

// Estimates how many leading characters of \a text fit into \a room pixels
// from the advances of single characters (no shaping; ASCII advances are
// looked up once per call), so the exact search usually starts right at the
// answer and needs two measurements.
class AdvanceEstimate
{
public:
    explicit AdvanceEstimate(const QFont &font)
        : m_metrics(font)
        , m_plainSpacing(hasPlainSpacing(font))
        , m_widthsGrow(font.letterSpacing() >= 0 && font.wordSpacing() >= 0)
    {
        std::fill(std::begin(m_ascii), std::end(m_ascii), -1.0);
    }

    /// Whether every added character makes a text wider (or keeps its
    /// width): no negative letter or word spacing.
    bool widthsGrow() const { return m_widthsGrow; }

    qreal advance(QChar c)
    {
        const ushort code = c.unicode();
        if (code >= 128)
            return m_metrics.horizontalAdvance(c);
        if (m_ascii[code] < 0)
            m_ascii[code] = m_metrics.horizontalAdvance(c);
        return m_ascii[code];
    }
    /// Whether \a text is certainly wider than \a width: printable ASCII whose
    /// single-character advances add up to more than a quarter above it.
    /// Kerning and ligatures of Latin text never take away that much, and
    /// other scripts are always measured whole. So are texts in fonts with
    /// letter or word spacing or a capitalization: the advances of single
    /// characters leave those out, and they can narrow a text by any amount.
    bool clearlyWider(const QString &text, int width)
    {
        if (!m_plainSpacing)
            return false;
        for (QChar c : text) {
            if (c.unicode() < 0x20 || c.unicode() > 0x7E)
                return false;
        }
        return advance(text) > 1.25 * (width + 0.5) + 4;
    }
    qreal advance(const QString &text)
    {
        qreal sum = 0;
        for (QChar c : text)
            sum += advance(c);
        return sum * m_scale;
    }
    int fitting(const QString &text, qreal room)
    {
        qreal used = 0;
        for (int i = 0; i < text.size(); ++i) {
            used += advance(text.at(i)) * m_scale;
            if (used > room)
                return i;
        }
        return text.size();
    }
    /// With letter or word spacing or a capitalization, scales the estimate
    /// to the measured \a width of \a text, so that guesses stay close.
    void calibrate(const QString &text, int width)
    {
        if (m_plainSpacing)
            return;
        const qreal sum = advance(text) / m_scale;
        if (sum > 0 && width > 0)
            m_scale = width / sum;
    }

private:
    // Whether whole-text widths are built from the same advances as single
    // characters (apart from shaping): no extra letter or word spacing (100 %
    // is the normal letter spacing) and no change of case.
    static bool hasPlainSpacing(const QFont &font)
    {
        const bool plainLetters = font.letterSpacing() == 0
            || (font.letterSpacingType() == QFont::PercentageSpacing
                && font.letterSpacing() == 100);
        return plainLetters && font.wordSpacing() == 0
            && font.capitalization() == QFont::MixedCase;
    }

    QFontMetricsF m_metrics;
    bool m_plainSpacing;
    bool m_widthsGrow;
    qreal m_scale = 1.0;
    qreal m_ascii[128];
};

// Paths for the platform layer: the file system's bytes on Linux, UTF-8 on
// Windows.
std::string platformPath(const QString &path)
{
#ifdef Q_OS_WIN
    return path.toUtf8().toStdString();
#else
    return QFile::encodeName(path).toStdString();
#endif
}

QString fromPlatformPath(const std::string &path)
{
#ifdef Q_OS_WIN
    return QString::fromStdString(path);
#else
    return QFile::decodeName(QByteArray::fromStdString(path));
#endif
}

// "/", a drive root or a share root: never removed, whatever is asked.
bool isFileSystemRoot(const QString &canonicalPath)
{
    return QDir(canonicalPath).isRoot();
}

void reportLeftInPlace(Platform::TreeRemover::Entry kind, const std::string &path)
{
    BASICS_DEBUG_NOLOC(-99) << (kind == Platform::TreeRemover::Entry::Directory ? "FAILED RMDIR:"
                                                                               : "FAILED REMOVE:")
                            << fromPlatformPath(path);
}

} // namespace

QString BasicsPaths::compactPath(QString path, int maxWidth, const QFont &font)
{
    const QFontMetrics metrics(font);
    AdvanceEstimate estimate(font);
    if (!estimate.clearlyWider(path, maxWidth)) {
        const int width = metrics.horizontalAdvance(path);
        if (width <= maxWidth)
            return path;
        estimate.calibrate(path, width);
    }

    const QFileInfo info(path);
    const QString dir = QDir::toNativeSeparators(info.absolutePath());
    QString name = info.fileName();
    const QString ellipsis = QStringLiteral("...");
    const QString separator = QDir::separator();

    // Directory characters go first, from the right.
    const QString tail = ellipsis + separator + name;
    // Widths are rounded to whole pixels: half a pixel more still fits.
    const qreal room = maxWidth + 0.5;
    const int guess = estimate.fitting(dir, room - estimate.advance(tail));
    const auto dirFits = [&](int n) {
        return metrics.horizontalAdvance(dir.left(n) + tail) <= maxWidth;
    };
    const int kept = estimate.widthsGrow() ? largestFitting(0, dir.size(), guess, dirFits)
                                           : largestFittingFromTop(0, dir.size(), dirFits);
    if (kept >= 0)
        return dir.left(kept) + tail;

    // No directory character left and still too wide: the name loses
    // characters from its end, but keeps at least one.
    const QString front = ellipsis + separator;
    const int nameGuess = estimate.fitting(name, room - estimate.advance(front + ellipsis));
    const auto nameFits = [&](int n) {
        return metrics.horizontalAdvance(front + name.left(n) + ellipsis) <= maxWidth;
    };
    int nameKept = name.size();
    if (name.size() > 1) {
        nameKept = estimate.widthsGrow() ? largestFitting(1, name.size(), nameGuess, nameFits)
                                         : largestFittingFromTop(1, name.size(), nameFits);
    }
    name.truncate(nameKept < 1 ? 1 : nameKept);
    return front + name + ellipsis;
}

QString BasicsPaths::compactPath(QString path, QWidget *widget)
{
    if (!widget)
        return path;
    return compactPath(path, widget->geometry().width(), widget->font());
}

QString BasicsPaths::relativeFilePath(QString folder, QString path)
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

QDir BasicsPaths::toDir(const QFileInfo &info)
{
    if (info.exists() && info.isDir())
        return QDir(info.canonicalFilePath());
    return QDir(QString());
}

bool BasicsPaths::isDescendant(QDir folder, QFileInfo item)
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

int BasicsPaths::removeRecursively(const QFileInfo &info)
{
    // A fresh look at the path: the caller's QFileInfo may have cached an
    // entry that is gone by now.
    if (info.filePath().isEmpty())
        return 0;
    const QFileInfo entry(info.absoluteFilePath());
    if (!entry.exists())
        return 0;
    // A link is an entry in its own right and is named by its own path;
    // anything else by its canonical path.
    const bool link = entry.isSymLink() || entry.isJunction();
    const QString path = link ? entry.absoluteFilePath() : entry.canonicalFilePath();
    // Gone since: there is nothing to remove (and an empty path must never
    // stand for the current directory).
    if (path.isEmpty())
        return 0;
    if (!link && isFileSystemRoot(path)) {
        reportLeftInPlace(Platform::TreeRemover::Entry::Directory, platformPath(path));
        return 1;
    }
    // The walk itself opens every entry relative to its directory and never
    // follows a link, so nothing outside the tree can be reached.
    return Platform::TreeRemover::instance().removeTree(platformPath(path), reportLeftInPlace);
}

QString BasicsPaths::getApplicationFolder()
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
