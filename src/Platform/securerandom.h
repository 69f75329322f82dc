#pragma once

// Unpredictable 32-bit random values from the operating system.
//
// Windows: the C runtime's rand_s. Linux: the kernel's getrandom, read in
// small blocks into a per-thread buffer (refilled after fork, so parent and
// child never share values).

#include <basicsdll_export.h>

#include <cstddef>
#include <cstdint>

namespace Platform {

class BASICSDLL_EXPORT SecureRandom
{
public:
    virtual ~SecureRandom();

    /// Writes \a count uniformly distributed, unpredictable values.
    virtual void fill(std::uint32_t *values, std::size_t count) = 0;

    std::uint32_t next()
    {
        std::uint32_t value;
        fill(&value, 1);
        return value;
    }

    /// The implementation the library uses: a scripted one while installed,
    /// otherwise system().
    static SecureRandom &instance();
    /// The operating system's generator.
    static SecureRandom &system();
    /// Installs a scripted implementation (nullptr restores system());
    /// returns the one installed before.
    static SecureRandom *install(SecureRandom *scripted);
};

} // namespace Platform
