#pragma once

// The desktop's program list, per-user file associations and the system's
// help viewer: what program lookup, file types and help need of the system.
//
//     Platform::DesktopServices &desktop = Platform::DesktopServices::instance();
//     for (const Platform::InstalledProgram &program : desktop.installedPrograms())
//         std::printf("%s\n", program.displayName.c_str());
//     desktop.associate({".lens", "Optics.Lens", "Lens file", "/opt/optics/lens %1"});
//     std::string viewer;
//     if (desktop.executableForExtension(".lens", &viewer))
//         ...;                                  // "/opt/optics/lens"
//
//   Windows: the three uninstall keys of the registry, in the order the
//            toolkit's settings store lists them; the per-user class keys
//            below HKEY_CURRENT_USER\Software\Classes; AssocQueryStringW;
//            the HTML Help control (hhctrl.ocx), loaded once.
//   Linux:   GLib's GIO: the desktop entries of the XDG application folders
//            as the program list; a per-user MIME type (shared-mime-info
//            package plus update-mime-database), a desktop entry and the
//            default application of that type as the association; no help
//            viewer (the library shows help itself, see compiledhelpfile.h).
//   Null:    nothing installed, nothing associated, no viewer; chosen at run
//            time when the user's XDG folders cannot be had.
// Texts are UTF-8 unless a function says otherwise.

#include <basicsdll_export.h>

#include <cstdint>
#include <string>
#include <vector>

namespace Platform {

/// One installed program as an uninstall entry describes it. On Linux a
/// desktop entry fills it: its name, and its program resolved to an
/// absolute path as the display icon; no install location.
struct BASICSDLL_EXPORT InstalledProgram
{
    std::string displayName;     ///< "DisplayName"
    std::string displayIcon;     ///< "DisplayIcon": a path, perhaps followed by ",index"
    std::string installLocation; ///< "InstallLocation": a folder
};

/// What a file association writes: the extension (with its leading dot),
/// the program identifier, the description of the file type and the
/// command that opens a file ("%1" stands for the file).
struct BASICSDLL_EXPORT FileAssociation
{
    std::string extension;
    std::string progId;
    std::string description;
    std::string command;
};

class BASICSDLL_EXPORT DesktopServices
{
public:
    /// How a path names a program file.
    enum class ProgramFiles {
        WindowsNames,   ///< an existing path whose name ends with ".exe" (any case)
        ExecutableFiles ///< an existing regular file the user may execute
    };

    virtual ~DesktopServices();

    /// The installed programs in search order: on Windows the entries of
    /// the uninstall keys of HKEY_LOCAL_MACHINE, of HKEY_CURRENT_USER and of
    /// the 32-bit view (WOW6432Node), each in the order of its subkey
    /// names; on Linux the visible desktop entries in the order of their
    /// desktop file IDs.
    virtual std::vector<InstalledProgram> installedPrograms() = 0;
    /// How the paths of installedPrograms() name program files.
    virtual ProgramFiles programFiles() const = 0;

    /// Registers \a association for the current user. On Windows the three
    /// class keys get their default values (nothing else is written, the
    /// shell is not notified); on Linux a MIME type for the extension, a
    /// desktop entry running the command and the default application of
    /// that type. Returns false when a step failed.
    virtual bool associate(const FileAssociation &association) = 0;
    /// The program that opens files with \a extension (leading dot
    /// included) as an absolute path; false when there is none.
    virtual bool executableForExtension(const std::string &extension, std::string *executable) = 0;

    /// Hands a request to the system's help viewer: the owner window's
    /// native handle (or 0), the help path as Latin-1 bytes, the command
    /// and its data. False when the system has no such viewer (Linux) or
    /// it could not be loaded; the viewer's own answer is not reported.
    virtual bool showHelp(std::uintptr_t owner, const std::string &latin1Path,
                          unsigned command, std::uintptr_t data) = 0;

    /// The implementation the library uses: a scripted one while installed,
    /// otherwise system().
    static DesktopServices &instance();
    /// The operating system's services (the null backend where they are
    /// missing).
    static DesktopServices &system();
    /// Installs a scripted implementation (nullptr restores system());
    /// returns the one installed before.
    static DesktopServices *install(DesktopServices *scripted);
    /// The backend that answers "nothing there".
    static DesktopServices &null();
};

/// Commands of the help viewer.
enum HelpCommand : unsigned {
    HelpDisplayTopic = 0x00, ///< show the page the path names (HH_DISPLAY_TOPIC)
    HelpContext = 0x0F       ///< show the page of a numeric context (HH_HELP_CONTEXT)
};

} // namespace Platform
