#pragma once

// Program lookup, file associations and help of Basics: the tools' links to
// the rest of the desktop.
//
//     QString viewer = Basics::findProgramExecutable("Lens Viewer");  // "C:/Program Files/Lens Viewer/viewer.exe"
//     Basics::createUserSpaceFileAssociation("lens", "Optics.Lens", "Lens file",
//                                            "\"C:/Program Files/Optics/lens.exe\" \"%1\"");
//     QString opener = Basics::getFileAssoc(".lens");                  // the program of that command
//     Basics::setHtmlHelpSource(QCoreApplication::applicationDirPath() + "/optics.chm");
//     Basics::showHtmlHelpTopic("intro");                              // optics.chm::/intro.htm
//     Basics::showHtmlHelpTopic(1001);                                 // the page of context 1001
//
// Windows: the registry's uninstall keys and per-user class keys, the
// shell's association query and the HTML Help control. Linux: the desktop
// entries of the XDG application folders, per-user XDG MIME types and
// default applications, and a help window of the library's own that reads
// the compiled help file. Every failure is silent: an empty result, or
// nothing happens. Call them as Basics::name(); this holder only groups the
// declarations.

#include <basicsdll_export.h>

#include <QString>

/// Installed programs, per-user file associations and HTML help; call them
/// as Basics::name().
struct BASICSDLL_EXPORT BasicsDesktop
{
    BasicsDesktop() = delete;

    /// The full path of an executable of the first installed program whose
    /// display name contains \a name (ignoring case; an empty name matches
    /// every program), or an empty text. An entry's icon path is taken when
    /// it names an existing program file; otherwise its install folder's
    /// only program, or the one whose name fits \a name, or its first one.
    /// On Windows the uninstall keys of the machine, of the user and of
    /// 32-bit programs are searched in that order; on Linux the visible
    /// desktop entries of the XDG application folders, whose program stands
    /// for the icon path.
    static QString findProgramExecutable(const QString &name);

    /// Registers files ending in \a extension (blanks trimmed, a leading dot
    /// added when missing) for the current user as type \a progId (used as
    /// given), described by \a description, opened by \a command (forward
    /// slashes turned into backslashes on Windows; "%1" stands for the file).
    /// Windows writes the three class keys below
    /// HKEY_CURRENT_USER\\Software\\Classes and does not notify the shell;
    /// Linux registers a MIME type, a desktop entry for the command and the
    /// entry as that type's default application. Nothing is written for an
    /// empty extension or program identifier, nor for one holding a key
    /// separator ('\\' or '/').
    static void createUserSpaceFileAssociation(const QString &extension, const QString &progId,
                                               const QString &description,
                                               const QString &command);

    /// The path of the program that opens files ending in \a extension
    /// (blanks trimmed, a leading dot added when missing), or a null text
    /// when the system knows none.
    static QString getFileAssoc(const QString &extension);

    /// Names the compiled help file (.chm) that showHtmlHelpTopic() opens.
    /// Set it before help can be requested from other threads.
    static void setHtmlHelpSource(QString source);
    /// Opens the help file at the page \a topic + ".htm", or at its default
    /// page when \a topic is empty. Does nothing without a help source, a
    /// help viewer or (Linux) a readable page.
    static void showHtmlHelpTopic(QString topic);
    /// Opens the help file at the page of the numeric context \a contextId
    /// (on Linux: the default page when the file maps no page to it).
    static void showHtmlHelpTopic(int contextId);
};
