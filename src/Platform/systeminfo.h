#pragma once

// Facts about the machine, the running system, the process and signed
// files: what the system-information functions of Basics need of the
// operating system.
//
//     Platform::SystemInfo &info = Platform::SystemInfo::instance();
//     Platform::OsVersion version;
//     if (info.osVersion(&version))
//         std::printf("%u.%u.%u\n", version.major, version.minor, version.build);
//     std::wstring signer = Platform::signerOfFile(L"C:/Tools/lens.exe");
//
// Windows: CPUID (the registry's processor name without the brand leaves),
//          RtlGetVersion looked up at run time, the build values of
//          HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion,
//          EnumProcessModules and GetModuleFileNameExW, glGetString of
//          OPENGL32, and CRYPT32 for embedded signatures.
// Linux:   CPUID (/proc/cpuinfo without the brand leaves), no Windows
//          version and no build values, the loaded shared objects
//          (dl_iterate_phdr), glGetString of libGL, and the portable
//          signature reader (pesignaturereader.h).

#include <basicsdll_export.h>

#include <cstdint>
#include <string>
#include <vector>

namespace Platform {

/// Version numbers of the running Windows system.
struct BASICSDLL_EXPORT OsVersion
{
    std::uint32_t major = 0; ///< 10 for Windows 10 and 11
    std::uint32_t minor = 0; ///< 0 for Windows 10 and 11
    std::uint32_t build = 0; ///< the build number, e.g. 19045
};

/// How listing the modules of the current process went.
enum class ModuleListing {
    Listed,           ///< the paths were listed (possibly none)
    NoProcess,        ///< the process could not be opened for querying
    EnumerationFailed ///< the process was opened, its modules not listed
};

/// How finding the signer of a file went, step by step.
enum class SignerLookup {
    Found,         ///< the signer's display name was found
    NoSignature,   ///< no readable embedded signature (or no such file)
    NoCertificate, ///< signed, but the signer's certificate is not there
    NoName         ///< the signer's certificate has no display name
};

/// The standard streams the signer lines go to.
enum class StandardStream {
    Output, ///< standard output
    Error   ///< standard error
};

/// The OpenGL strings getHardwareInfo() reports (GL_VENDOR and so on).
enum class GlString : std::uint32_t {
    Vendor = 0x1F00,   ///< GL_VENDOR
    Renderer = 0x1F01, ///< GL_RENDERER
    Version = 0x1F02   ///< GL_VERSION
};

class BASICSDLL_EXPORT SystemInfo
{
public:
    virtual ~SystemInfo();

    /// The processor's name: the CPUID brand string (up to its first zero
    /// byte, leading spaces kept), or, on a processor without the brand
    /// leaves, the name the system gives it; empty when there is none.
    virtual std::string processorName() = 0;
    /// The version of the running Windows system (RtlGetVersion, looked up
    /// anew on every call); false when there is none or the entry point is
    /// missing.
    virtual bool osVersion(OsVersion *version) = 0;
    /// The value \a name ("CurrentBuild", "UBR") of the system's build
    /// information, as text (numbers in decimal); false when it is absent.
    virtual bool buildValue(const std::string &name, std::string *value) = 0;
    /// The full paths of the modules loaded into the current process: with
    /// \a all every module, otherwise the shared libraries only (Windows:
    /// names ending in ".dll" in any case; Linux: ".so" or ".so.<numbers>"),
    /// which leaves out the executable. Unsorted.
    virtual ModuleListing loadedModules(bool all, std::vector<std::wstring> *paths) = 0;
    /// The text glGetString() gives for \a name in the calling thread's
    /// current OpenGL context, as 8-bit text; empty without a context.
    virtual std::string glString(GlString name) = 0;
    /// The display name of the certificate that signed the PE file
    /// \a path (the one its signer info names, not simply the first of the
    /// embedded certificates).
    virtual SignerLookup signerName(const std::wstring &path, std::wstring *name) = 0;
    /// Writes \a line and a line end to \a stream and flushes it: the wide
    /// streams on Windows, UTF-8 on the standard streams elsewhere.
    virtual void writeLine(StandardStream stream, const std::wstring &line) = 0;

    /// The implementation the library uses: a scripted one while installed,
    /// otherwise system().
    static SystemInfo &instance();
    /// The operating system's services.
    static SystemInfo &system();
    /// Installs a scripted implementation (nullptr restores system());
    /// returns the one installed before.
    static SystemInfo *install(SystemInfo *scripted);
};

/// The CPUID processor brand string (leaves 0x80000002 to 0x80000004, the
/// registers of each in the order EAX, EBX, ECX, EDX, up to the first zero
/// byte); false on a processor without these leaves or without CPUID.
BASICSDLL_EXPORT bool cpuidBrandString(std::string *brand);

/// The processor name in the text of /proc/cpuinfo: the first "model name",
/// else "Processor", "cpu model" or "cpu" line's value; empty when none.
BASICSDLL_EXPORT std::string processorNameFromCpuinfo(const std::string &cpuinfo);

/// Whether \a path names a shared object: its file name ends in ".so" or in
/// ".so." followed by dot-separated numbers ("libz.so.1.2.13").
BASICSDLL_EXPORT bool isSharedObjectName(const std::wstring &path);
/// Whether \a path ends in ".dll", compared without regard to case.
BASICSDLL_EXPORT bool isDllName(const std::wstring &path);

/// The signer of the PE file \a path through SystemInfo::instance(), with
/// the lines: on failure the step's German message and then "Fehler beim
/// Abrufen des Signaturgebers." on standard error; on success
/// "Signaturgeber: " and the name on standard output. Empty on failure.
BASICSDLL_EXPORT std::wstring signerOfFile(const std::wstring &path);

} // namespace Platform
