#include "Platform/compiledhelpfile.h"

namespace Platform {

std::string CompiledHelpFile::absolutePage(const std::string &page)
{
    std::string path = page;
    for (char &c : path) {
        if (c == '\\')
            c = '/';
    }
    if (path.empty() || path.front() != '/')
        path.insert(path.begin(), '/');
    return path;
}

} // namespace Platform
