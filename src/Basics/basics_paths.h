#pragma once

// Path helpers of Basics: compacting a path for display, relating paths,
// descending and removing trees, the application folder.
//
//     label->setText(Basics::compactPath(path, label));   // "C:\Pro...\lens.dat"
//     if (Basics::removeRecursively(QFileInfo(scratch)) != 0)
//         ...                                              // some entries remain
//
// Call them as Basics::name(); this holder only groups the declarations.

#include <basicsdll_export.h>

#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QString>

class QWidget;

/// Path helpers; call them as Basics::name().
struct BASICSDLL_EXPORT BasicsPaths
{
    BasicsPaths() = delete;

    /// \a path shortened with "..." to fit \a maxWidth pixels in \a font:
    /// directory characters go first, then the file name's.
    static QString compactPath(QString path, int maxWidth, const QFont &font);
    /// \a path shortened to the width and font of \a widget; unchanged for a
    /// null widget.
    static QString compactPath(QString path, QWidget *widget);
    /// \a path relative to \a folder (both canonical), or \a path's canonical
    /// form when it does not start with \a folder.
    static QString relativeFilePath(QString folder, QString path);
    /// The directory \a info names, or the current directory when \a info is
    /// not an existing directory.
    static QDir toDir(const QFileInfo &info);
    /// Whether \a item lies inside \a folder, at any depth (strictly).
    static bool isDescendant(QDir folder, QFileInfo item);
    /// Deletes a file or a folder tree; returns the number of entries left in
    /// place (0 on success). Links are removed as links, never followed, even
    /// when the tree changes while it is removed; entries that vanish
    /// meanwhile count as removed. A file-system root is refused (1).
    static int removeRecursively(const QFileInfo &info);
    /// The folder of the executable, or the folder given after the
    /// command-line switch "-applicationFolder".
    static QString getApplicationFolder();
};
