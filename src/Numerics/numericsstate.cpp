// Process-wide state and the error reporter shared by the minimisers.

#include "Numerics/numerics_p.h"

#include <cstdio>

namespace NumericsPrivate {

std::atomic<bool> s_abortRequested{false};

void reportNumericsError(const char *message)
{
    std::printf("\nERROR: %s", message);
}

} // namespace NumericsPrivate
