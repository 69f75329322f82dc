#include "Platform/desktopservices.h"

namespace Platform {

namespace {

class NullDesktopServices final : public DesktopServices
{
public:
    std::vector<InstalledProgram> installedPrograms() override { return {}; }
    ProgramFiles programFiles() const override
    {
#if defined(_WIN32)
        return ProgramFiles::WindowsNames;
#else
        return ProgramFiles::ExecutableFiles;
#endif
    }
    bool associate(const FileAssociation &) override { return false; }
    bool executableForExtension(const std::string &, std::string *) override { return false; }
    bool showHelp(std::uintptr_t, const std::string &, unsigned, std::uintptr_t) override
    {
        return false;
    }
};

} // namespace

DesktopServices &DesktopServices::null()
{
    static NullDesktopServices services;
    return services;
}

} // namespace Platform
