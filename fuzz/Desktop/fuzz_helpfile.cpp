// Arbitrary bytes as a compiled help file: opening it, its default page,
// its context map and the pages they name never crash, and whatever is
// named is a page the file holds.

#include "Platform/compiledhelpfile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // chmlib reads files: the input goes to a private temporary one.
    static const std::string path = [] {
        char name[] = "/tmp/fuzz_helpfile-XXXXXX";
        const int fd = mkstemp(name);
        if (fd >= 0)
            close(fd);
        return std::string(name);
    }();
    FILE *file = std::fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    const Platform::CompiledHelpFile help(path);
    if (!help.isOpen())
        return 0;
    std::string content;
    for (const std::uint32_t context : {1001u, 1002u, 0u, 0xFFFFFFFFu}) {
        const std::string page = help.pageForContext(context);
        if (!page.empty() && !help.contains(page))
            std::abort();
        if (!page.empty() && help.read(page, &content) && content.size() > help.MaxObjectSize)
            std::abort();
    }
    for (const char *page : {"/#SYSTEM", "/#IVB", "/#STRINGS", "/index.htm", "/intro.htm"})
        help.read(page, &content);
    return 0;
}
