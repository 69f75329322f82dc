// File associations of Basics: registering a file type for the current
// user and asking which program opens one.

#include "Basics/basics_desktop.h"
#include "Basics/basics_desktop_p.h"

#include <QDir>

using Platform::DesktopServices;

namespace {

// A name with a key separator would write keys elsewhere than below the
// user's classes root.
bool isKeyName(const QString &name)
{
    return !name.isEmpty() && !name.contains(QLatin1Char('\\')) && !name.contains(QLatin1Char('/'));
}

} // namespace

QString BasicsDesktopRules::normalizedExtension(const QString &extension)
{
    QString normalized = extension.trimmed();
    if (!normalized.startsWith(QLatin1Char('.')))
        normalized.prepend(QLatin1Char('.'));
    return normalized;
}

void BasicsDesktop::createUserSpaceFileAssociation(const QString &extension, const QString &progId,
                                                   const QString &description,
                                                   const QString &command)
{
    const QString normalized = BasicsDesktopRules::normalizedExtension(extension);
    if (normalized.size() < 2 || !isKeyName(normalized) || !isKeyName(progId))
        return;
    Platform::FileAssociation association;
    association.extension = normalized.toStdString();
    association.progId = progId.toStdString();
    association.description = description.toStdString();
    association.command = QDir::toNativeSeparators(command).toStdString();
    DesktopServices::instance().associate(association);
}

QString BasicsDesktop::getFileAssoc(const QString &extension)
{
    const QString normalized = BasicsDesktopRules::normalizedExtension(extension);
    std::string executable;
    if (!DesktopServices::instance().executableForExtension(normalized.toStdString(), &executable))
        return QString();
    return QString::fromStdString(executable);
}
