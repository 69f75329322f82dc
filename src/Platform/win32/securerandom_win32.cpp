#define _CRT_RAND_S
#include <stdlib.h>

#include "Platform/securerandom.h"

namespace Platform {

namespace {

class Win32SecureRandom final : public SecureRandom
{
public:
    void fill(std::uint32_t *values, std::size_t count) override
    {
        for (std::size_t i = 0; i < count; ++i) {
            unsigned int value = 0;
            rand_s(&value);
            values[i] = value;
        }
    }
};

} // namespace

SecureRandom &SecureRandom::system()
{
    static Win32SecureRandom generator;
    return generator;
}

} // namespace Platform
