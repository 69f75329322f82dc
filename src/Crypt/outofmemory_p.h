#pragma once

// Allocation failures end an operation, never the caller: the toolkit's
// containers throw std::bad_alloc when memory runs out (a plaintext of a
// few hundred megabytes under a memory limit), and no exception may leave
// the library.

#include <new>

namespace CryptKernels {

/// Returns work(); if it runs out of memory, calls fail() and returns an
/// empty result instead.
template <typename Work, typename Fail>
auto unlessOutOfMemory(Work work, Fail fail) -> decltype(work())
{
    try {
        return work();
    } catch (const std::bad_alloc &) {
        fail();
        return decltype(work())();
    }
}

} // namespace CryptKernels
