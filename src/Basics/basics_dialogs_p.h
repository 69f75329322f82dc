#pragma once

// The rules behind Basics' file dialogs, apart from the dialogs so that they
// can be tested directly. Not installed.

#include <basicsdll_export.h>

#include <QString>

namespace BasicsDialogs {

/// \a path itself if it is empty or an existing directory, otherwise the
/// deepest existing folder above it; a null string when there is none.
BASICSDLL_EXPORT QString nearestExistingDirectory(const QString &path);

/// The filter entry the open dialog preselects for \a dir: the last entry of
/// \a filter (entries separated by ";;") that contains "*.<suffix of dir>",
/// compared case-insensitively; a null string when dir has no suffix or no
/// entry matches.
BASICSDLL_EXPORT QString openDialogFilter(const QString &dir, const QString &filter);

/// The filter entry the save dialog starts with: \a *selectedFilter when it
/// is one of the entries exactly, else the first entry that contains
/// "*.<suffix of dir>" (case-insensitively), else the first entry.
BASICSDLL_EXPORT QString saveDialogFilter(const QString &dir, const QString &filter,
                                          const QString *selectedFilter);

/// The name the save dialog proposes: \a dir with its suffix replaced by the
/// extension of \a selectedEntry (the text after its first "*." up to its
/// first ')'). \a dir unchanged when either is empty or the entry names no
/// "*." pattern.
BASICSDLL_EXPORT QString proposedSaveName(const QString &dir, const QString &selectedEntry);

} // namespace BasicsDialogs
