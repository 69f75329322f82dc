#include "Platform/compiledhelpfile.h"

// Where the system's help viewer reads compiled help files itself (Windows),
// the library opens none.

namespace Platform {

CompiledHelpFile::CompiledHelpFile(const std::string &) {}
CompiledHelpFile::~CompiledHelpFile() = default;
bool CompiledHelpFile::isOpen() const { return false; }
bool CompiledHelpFile::contains(const std::string &) const { return false; }
bool CompiledHelpFile::read(const std::string &, std::string *) const { return false; }
std::string CompiledHelpFile::defaultPage() const { return {}; }
std::string CompiledHelpFile::pageForContext(std::uint32_t) const { return {}; }
std::string CompiledHelpFile::pageNamed(const std::string &) const { return {}; }
bool CompiledHelpFile::readTable(const char *, std::string *) const { return false; }

} // namespace Platform
