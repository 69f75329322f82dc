// A million triggers inside one bracket against a million appends to a
// QVector<QVariant>. The values repeat: each one comes a thousand times in a
// row, as when one object reports many changes. Throughput is calls per
// second.

#include <Collectors/signalcollector.h>

#include "support/benchratio.h"

#include <QVariant>
#include <QVector>

#include <benchmark/benchmark.h>

namespace {

constexpr int callsPerRound = 1000000;
constexpr int repeats = 1000;

} // namespace

static void BM_CollectorTrigger(benchmark::State &state)
{
    SignalCollector collector;
    long long flushed = 0;
    QObject::connect(&collector, &SignalCollector::triggered,
                     [&](const QVariant &value) { flushed += value.toList().size(); });
    for (auto _ : state) {
        collector.increment();
        for (int i = 0; i < callsPerRound; ++i)
            collector.trigger(QVariant(i / repeats), 0);
        collector.decrement();
    }
    benchmark::DoNotOptimize(flushed);
    state.SetItemsProcessed(state.iterations() * callsPerRound);
}
BENCHMARK(BM_CollectorTrigger)->Unit(benchmark::kMillisecond);

static void BM_VectorAppend(benchmark::State &state)
{
    QVector<QVariant> values;
    for (auto _ : state) {
        for (int i = 0; i < callsPerRound; ++i)
            values.append(QVariant(i / repeats));
        benchmark::DoNotOptimize(values.data());
        values.clear();
    }
    state.SetItemsProcessed(state.iterations() * callsPerRound);
}
BENCHMARK(BM_VectorAppend)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    // A million triggers should cost less than twice a million appends.
    return benchsupport::runWithRatios(
        argc, argv,
        {{"SignalCollector::trigger vs QVector<QVariant>::append", "BM_CollectorTrigger",
          "BM_VectorAppend", 0.5}});
}
