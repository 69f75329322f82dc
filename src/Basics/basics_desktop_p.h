#pragma once

// Internals of the desktop helpers, exported for the tests: the program
// search over any list of uninstall entries, and the extension rule.

#include <basicsdll_export.h>

#include "Platform/desktopservices.h"

#include <QString>

#include <vector>

namespace BasicsDesktopRules {

/// The search of Basics::findProgramExecutable over \a programs (in search
/// order), with \a files telling which paths name program files.
BASICSDLL_EXPORT QString findProgramExecutable(
    const QString &name, const std::vector<Platform::InstalledProgram> &programs,
    Platform::DesktopServices::ProgramFiles files);

/// The folder rule: the program in \a folder for \a name (its only .exe
/// file, the first whose name fits \a name, else the first listed), or
/// empty when the folder is missing or holds none.
BASICSDLL_EXPORT QString programInFolder(const QString &name, const QString &folder);

/// \a extension trimmed, with a leading dot added when missing.
BASICSDLL_EXPORT QString normalizedExtension(const QString &extension);

} // namespace BasicsDesktopRules
