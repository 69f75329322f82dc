// Program lookup of Basics: the installed programs' entries searched by
// display name, with the icon rule and the install folder rule.

#include "Basics/basics_desktop.h"
#include "Basics/basics_desktop_p.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

using Platform::DesktopServices;

namespace {

bool isProgramFile(const QString &path, DesktopServices::ProgramFiles files)
{
    if (files == DesktopServices::ProgramFiles::WindowsNames)
        return QFileInfo::exists(path) && path.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive);
    const QFileInfo info(path);
    return info.isAbsolute() && info.isFile() && info.isExecutable();
}

} // namespace

QString BasicsDesktopRules::findProgramExecutable(
    const QString &name, const std::vector<Platform::InstalledProgram> &programs,
    DesktopServices::ProgramFiles files)
{
    for (const Platform::InstalledProgram &program : programs) {
        if (!QString::fromStdString(program.displayName).contains(name, Qt::CaseInsensitive))
            continue;
        const QString icon = QString::fromStdString(program.displayIcon);
        if (!icon.isEmpty()) {
            // "C:\Tools\tool.exe,0": the path before the icon index.
            const QString path = icon.split(QLatin1Char(',')).first().trimmed();
            if (isProgramFile(path, files))
                return path;
        }
        const QString location = QString::fromStdString(program.installLocation);
        if (location.isEmpty())
            continue;
        // The first entry with an install folder decides, found or not.
        return programInFolder(name, location);
    }
    return QString();
}

QString BasicsDesktopRules::programInFolder(const QString &name, const QString &folder)
{
    const QDir dir(folder);
    if (!dir.exists())
        return QString();
    const QStringList files = dir.entryList(QStringList(QStringLiteral("*.exe")), QDir::Files,
                                            QDir::Unsorted);
    if (files.size() == 1)
        return dir.filePath(files.first());
    const QString key = name.toLower().remove(QLatin1Char(' '));
    for (const QString &file : files) {
        const QString candidate =
            file.toLower().remove(QLatin1Char(' ')).remove(QLatin1String(".exe"));
        if (candidate.contains(key) || key.contains(candidate))
            return dir.filePath(file);
    }
    return files.isEmpty() ? QString() : dir.filePath(files.first());
}

QString BasicsDesktop::findProgramExecutable(const QString &name)
{
    DesktopServices &desktop = DesktopServices::instance();
    return BasicsDesktopRules::findProgramExecutable(name, desktop.installedPrograms(),
                                                     desktop.programFiles());
}
