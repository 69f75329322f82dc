// Identifier construction + destruction against QUuid::createUuid(), the
// toolkit's own way to get a unique random id, on one and on two threads.

#include <Identifier/identifier.h>

#include "support/benchratio.h"

#include <QUuid>

#include <benchmark/benchmark.h>

static void BM_Identifier(benchmark::State &state)
{
    for (auto _ : state) {
        Identifier identifier;
        benchmark::DoNotOptimize(identifier.id());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Identifier)->Threads(1)->Threads(2)->UseRealTime();

static void BM_QUuid(benchmark::State &state)
{
    for (auto _ : state) {
        QUuid uuid = QUuid::createUuid();
        benchmark::DoNotOptimize(uuid);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_QUuid)->Threads(1)->Threads(2)->UseRealTime();

static void BM_IdentifierCopy(benchmark::State &state)
{
    Identifier source;
    for (auto _ : state) {
        Identifier copy(source, Identifier::NewID);
        benchmark::DoNotOptimize(copy.id());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_IdentifierCopy)->Threads(1)->UseRealTime();

int main(int argc, char **argv)
{
    return benchsupport::runWithRatios(
        argc, argv,
        {{"Identifier vs QUuid::createUuid, 1 thread", "BM_Identifier/real_time/threads:1",
          "BM_QUuid/real_time/threads:1", 5.0},
         {"Identifier vs QUuid::createUuid, 2 threads", "BM_Identifier/real_time/threads:2",
          "BM_QUuid/real_time/threads:2", 0.0},
         {"Identifier, 2 threads vs 1 thread (no collapse)", "BM_Identifier/real_time/threads:2",
          "BM_Identifier/real_time/threads:1", 0.5}});
}
