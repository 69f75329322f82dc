#include "Basics/basics.h"

#include "Platform/systeminfo.h"

#include <QMap>
#include <QMutex>
#include <QMutexLocker>
#include <QThread>

#include <string>
#include <vector>

namespace {

using Platform::SystemInfo;

QString latin1(const std::string &text)
{
    return QString::fromLatin1(text.data(), int(text.size()));
}

// Release names by exact build number. Desktop and server editions that
// share a build share its name here.
const QMap<int, QString> &releaseNames()
{
    static const QMap<int, QString> names = {
        {1381, QStringLiteral("Windows NT 4.0")},
        {2195, QStringLiteral("Windows 2000")},
        {2600, QStringLiteral("Windows XP")},
        {2700, QStringLiteral("Windows XP")},
        {2710, QStringLiteral("Windows XP")},
        {3790, QStringLiteral("Windows XP")},
        {6002, QStringLiteral("Windows Vista")},
        {6003, QStringLiteral("Windows Server 2008")},
        {7601, QStringLiteral("Windows 7")},
        {9200, QStringLiteral("Windows 8")},
        {9600, QStringLiteral("Windows 8.1")},
        {10240, QStringLiteral("Windows 10 1507")},
        {10586, QStringLiteral("Windows 10 1511")},
        {14393, QStringLiteral("Windows 10 1607")},
        {15063, QStringLiteral("Windows 10 1703")},
        {16299, QStringLiteral("Windows 10 1709")},
        {17134, QStringLiteral("Windows 10 1803")},
        {17763, QStringLiteral("Windows 10 1809")},
        {18362, QStringLiteral("Windows 10 1903")},
        {18363, QStringLiteral("Windows 10 1909")},
        {19041, QStringLiteral("Windows 10 2004")},
        {19042, QStringLiteral("Windows 10 20H2")},
        {19043, QStringLiteral("Windows 10 21H1")},
        {19044, QStringLiteral("Windows 10 21H2")},
        {19045, QStringLiteral("Windows 10 22H2")},
        {20348, QStringLiteral("Windows Server 2022")},
        {22000, QStringLiteral("Windows 11 21H2")},
        {22621, QStringLiteral("Windows 11 22H2")},
        {22631, QStringLiteral("Windows 11 23H2")},
        {25398, QStringLiteral("Windows Server 23H2")},
        {26100, QStringLiteral("Windows 11 24H2")},
    };
    return names;
}

} // namespace

QString BasicsSystem::getHardwareInfo()
{
    SystemInfo &info = SystemInfo::instance();
    const QString processor = QStringLiteral("CPU: %1 (%2 logical cores)\n")
                                  .arg(latin1(info.processorName()),
                                       QString::number(QThread::idealThreadCount()));
    const QString openGl = QStringLiteral("OpenGL: %1 | %2 | %3\n")
                               .arg(latin1(info.glString(Platform::GlString::Vendor)),
                                    latin1(info.glString(Platform::GlString::Renderer)),
                                    latin1(info.glString(Platform::GlString::Version)));
    return processor + openGl;
}

QString BasicsSystem::getWindowsVersion()
{
    // Filled once; the lock only keeps concurrent first calls apart.
    static QMutex mutex;
    static QString cache;
    QMutexLocker locker(&mutex);
    if (cache.isEmpty()) {
        Platform::OsVersion version;
        if (SystemInfo::instance().osVersion(&version))
            cache = QStringLiteral("%1.%2.%3")
                        .arg(version.major)
                        .arg(version.minor)
                        .arg(version.build);
    }
    return cache;
}

QPair<QString, QString> BasicsSystem::getWindowsVersionEx()
{
    SystemInfo &info = SystemInfo::instance();
    std::string currentBuild;
    if (!info.buildValue("CurrentBuild", &currentBuild)) {
        const QString none = QStringLiteral("not detectable");
        return qMakePair(none, none);
    }
    const QString build = QString::fromUtf8(currentBuild.c_str());
    QPair<QString, QString> result;
    // Exact builds only: one between two known builds is not rounded.
    result.first = releaseNames().value(build.toInt(), QStringLiteral("unknown"));
    std::string updateNumber;
    if (info.buildValue("UBR", &updateNumber))
        result.second = build + QLatin1Char('.') + QString::fromUtf8(updateNumber.c_str());
    return result;
}

QStringList BasicsSystem::getLoadedDlls(bool all)
{
    std::vector<std::wstring> paths;
    switch (SystemInfo::instance().loadedModules(all, &paths)) {
    case Platform::ModuleListing::Listed:
        break;
    case Platform::ModuleListing::NoProcess:
        return QStringList();
    case Platform::ModuleListing::EnumerationFailed:
        qDebug("Fehler beim Auflisten der Module.");
        return QStringList();
    }
    QStringList list;
    list.reserve(int(paths.size()));
    for (const std::wstring &path : paths)
        list << QString::fromStdWString(path);
    list.sort();
    return list;
}

QString BasicsSystem::getSignature(const QString &path)
{
    return QString::fromStdWString(Platform::signerOfFile(path.toStdWString()));
}
