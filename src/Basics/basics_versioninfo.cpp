#include "Basics/basics.h"

#include "Platform/versionresources.h"

QString BasicsSystem::getProductVersion(const QString &path)
{
    Platform::FixedFileInfo info;
    if (!Platform::queryFixedFileInfo(path.toStdWString(), &info))
        return QString();
    return QStringLiteral("%1.%2.%3.%4")
        .arg(info.productVersionMS >> 16)
        .arg(info.productVersionMS & 0xFFFFu)
        .arg(info.productVersionLS >> 16)
        .arg(info.productVersionLS & 0xFFFFu);
}
