// lotto1 against the pool algorithm it replaces (a list of every value of the
// range, drawn values removed), and lotto1(10, 2^31 - 1) on its own: time per
// call and peak extra heap, measured by counting this process's allocations.

#include <Basics/basics.h>

#include "support/benchratio.h"

#include <benchmark/benchmark.h>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <atomic>
#include <chrono>
#include <cstdio>
#include <limits>
#include <numeric>
#include <random>
#include <vector>

// --- heap accounting ----------------------------------------------------------
// With glibc, the process's malloc family is wrapped: while tracking, the
// usable size of every block allocated and freed is added up; the peak of
// that sum is the extra heap a call needed. Covers the library and the
// toolkit, whose allocations all go through malloc.

namespace {

std::atomic<bool> s_tracking{false};
long long s_current = 0;
long long s_peak = 0;

} // namespace

#ifdef __GLIBC__
extern "C" {
void *__libc_malloc(size_t size);
void *__libc_calloc(size_t count, size_t size);
void *__libc_realloc(void *pointer, size_t size);
void __libc_free(void *pointer);
}

namespace {

constexpr bool HeapIsCounted = true;

void account(void *pointer, int sign)
{
    if (pointer && s_tracking.load(std::memory_order_relaxed)) {
        s_current += sign * static_cast<long long>(malloc_usable_size(pointer));
        if (s_current > s_peak)
            s_peak = s_current;
    }
}

} // namespace

extern "C" void *malloc(size_t size)
{
    void *pointer = __libc_malloc(size);
    account(pointer, +1);
    return pointer;
}

extern "C" void *calloc(size_t count, size_t size)
{
    void *pointer = __libc_calloc(count, size);
    account(pointer, +1);
    return pointer;
}

extern "C" void *realloc(void *old, size_t size)
{
    account(old, -1);
    void *pointer = __libc_realloc(old, size);
    account(pointer ? pointer : old, +1);
    return pointer;
}

extern "C" void free(void *pointer)
{
    account(pointer, -1);
    __libc_free(pointer);
}
#else
namespace {
constexpr bool HeapIsCounted = false;
}
#endif

namespace {

template <class Function>
long long peakHeap(Function function)
{
    s_current = 0;
    s_peak = 0;
    s_tracking = true;
    function();
    s_tracking = false;
    return s_peak;
}

// --- the pool algorithm, as the peer --------------------------------------------

int poolLotto1(int count, int range, QList<int> &result)
{
    result.clear();
    if (range < 2 || count < 1)
        return 0;
    const int n = qMin(count, range);
    result.reserve(n);
    QList<int> pool;
    pool.reserve(range);
    for (int value = 0; value < range; ++value)
        pool.append(value);
    std::random_device device;
    std::mt19937 generator(device());
    for (int k = 0; k < n; ++k) {
        std::uniform_int_distribution<int> index(0, pool.size() - 1);
        result.append(pool.takeAt(index(generator)));
    }
    return n;
}

constexpr int FullRange = std::numeric_limits<int>::max();

void BM_Lotto1(benchmark::State &state)
{
    QList<int> result;
    for (auto _ : state)
        benchmark::DoNotOptimize(Basics::lotto1(int(state.range(0)), int(state.range(1)), result));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Lotto1)->Args({10, 1000000})->Args({10000, 10000})->Args({10, FullRange})
    ->Unit(benchmark::kMicrosecond);

void BM_PoolLotto1(benchmark::State &state)
{
    QList<int> result;
    for (auto _ : state)
        benchmark::DoNotOptimize(poolLotto1(int(state.range(0)), int(state.range(1)), result));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PoolLotto1)->Args({10, 1000000})->Args({10000, 10000})->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    // Absolute figures for lotto1(10, 2^31 - 1): peak extra heap of one call
    // and the mean time of many.
    QList<int> result;
    const long long heap = peakHeap([&] { Basics::lotto1(10, FullRange, result); });
    const long long poolHeap = peakHeap([&] { poolLotto1(10, 1000000, result); });
    constexpr int calls = 2000;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < calls; ++i)
        Basics::lotto1(10, FullRange, result);
    const double microseconds =
        std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count() / calls;
    if (!HeapIsCounted)
        std::printf("(heap is counted with glibc only; the figures below read 0)\n");
    std::printf("lotto1(10, 2^31 - 1): %.1f us per call (goal < 1000 us: %s), "
                "peak extra heap %lld bytes (goal < 1 MiB: %s)\n"
                "pool algorithm (10, 10^6) for comparison: peak extra heap %lld bytes\n\n",
                microseconds, microseconds < 1000.0 ? "met" : "NOT met", heap,
                heap < (1 << 20) ? "met" : "NOT met", poolHeap);

    return benchsupport::runWithRatios(
        argc, argv,
        {{"lotto1 vs pool, 10 of 10^6", "BM_Lotto1/10/1000000", "BM_PoolLotto1/10/1000000", 1.0},
         {"lotto1 vs pool, permutation of 10^4", "BM_Lotto1/10000/10000", "BM_PoolLotto1/10000/10000", 1.0},
         {"lotto1 10 of 2^31-1 vs pool 10 of 10^6", "BM_Lotto1/10/2147483647", "BM_PoolLotto1/10/1000000",
          1.0}});
}
