#pragma once

// System information helpers of Basics: processor and graphics driver, the
// Windows version and release name, the modules of the process, the signer
// and product version of Windows executables.
//
//     QString version = Basics::getProductVersion("C:/Tools/lens.exe");  // "2.1.0.7"
//     QString signer = Basics::getSignature("C:/Tools/lens.exe");       // "Optik GmbH"
//     QPair<QString, QString> windows = Basics::getWindowsVersionEx();
//     // ("Windows 10 22H2", "19045.3803")
//     for (const QString &module : Basics::getLoadedDlls(false))
//         log(module);
//
// Call them as Basics::name(); this holder only groups the declarations.
// Each is a query on the calling thread; on Linux there is no Windows, so
// the version functions report none, while the signer and the product
// version of Windows files are read by the library's own PE readers.

#include <basicsdll_export.h>

#include <QPair>
#include <QString>
#include <QStringList>

/// System information; call them as Basics::name().
struct BASICSDLL_EXPORT BasicsSystem
{
    BasicsSystem() = delete;

    /// The product version of the Windows executable or DLL \a path (from
    /// its version resource) as four numbers joined by dots, or an empty text
    /// when the file has none. Works on every platform.
    static QString getProductVersion(const QString &path);

    /// Two lines: "CPU: <brand> (<n> logical cores)\n" with the processor's
    /// CPUID brand string (or, without one, the system's name for the
    /// processor) and the toolkit's ideal thread count, then
    /// "OpenGL: <vendor> | <renderer> | <version>\n" from the calling
    /// thread's current OpenGL context.
    /// \warning Without a current OpenGL context the three OpenGL fields
    /// are empty ("OpenGL:  |  | \n").
    static QString getHardwareInfo();

    /// The version of the running Windows system as "major.minor.build"
    /// (for example "10.0.19045"), or an empty text when it cannot be read
    /// (and always on Linux). A version once read is kept for the process.
    static QString getWindowsVersion();

    /// The release name of the running Windows system by its build number
    /// ("Windows 10 22H2"; "unknown" for a build the library does not
    /// know) and the full build number ("19045.3803"; empty when the update
    /// number is not recorded). Both are "not detectable" when the build
    /// number cannot be read, which is always the case on Linux.
    static QPair<QString, QString> getWindowsVersionEx();

    /// The full paths of the modules loaded into the current process,
    /// sorted. With \a all false only the shared libraries: on Windows
    /// paths ending in ".dll" (in any case), on Linux file names ending in
    /// ".so" or ".so.<numbers>"; the executable is left out either way.
    /// Empty when the modules cannot be listed (a debug message then says
    /// "Fehler beim Auflisten der Module.").
    static QStringList getLoadedDlls(bool all);

    /// The display name of the signer of the Windows executable or DLL
    /// \a path (the certificate its signature names as signer), or an
    /// empty text when the file is not signed or cannot be read. Writes
    /// "Signaturgeber: <name>" to standard output on success and German
    /// messages ending in "Fehler beim Abrufen des Signaturgebers." to
    /// standard error on failure. Nothing is verified: the name says who
    /// signed, not whether the signature is valid. Works on every platform.
    static QString getSignature(const QString &path);
};
