// A million triggers inside one bracket against a million appends to a
// QVector<QVariant>, on two data sets: values that repeat (each comes a
// thousand times in a row, as when one object reports many changes) and
// values that are all distinct (every trigger is remembered). Throughput is
// calls per second; the flush at the closing decrement is included.

#include <Collectors/signalcollector.h>

#include "support/benchratio.h"

#include <QVariant>
#include <QVector>

#include <benchmark/benchmark.h>

namespace {

constexpr int callsPerRound = 1000000;

// state.range(0): how many times in a row each value comes.
void BM_CollectorTrigger(benchmark::State &state)
{
    const int repeats = int(state.range(0));
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
BENCHMARK(BM_CollectorTrigger)->Arg(1000)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_VectorAppend(benchmark::State &state)
{
    const int repeats = int(state.range(0));
    QVector<QVariant> values;
    for (auto _ : state) {
        for (int i = 0; i < callsPerRound; ++i)
            values.append(QVariant(i / repeats));
        benchmark::DoNotOptimize(values.data());
        values.clear();
    }
    state.SetItemsProcessed(state.iterations() * callsPerRound);
}
BENCHMARK(BM_VectorAppend)->Arg(1000)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    // A million triggers should cost less than twice a million appends,
    // whether the values repeat or not.
    return benchsupport::runWithRatios(
        argc, argv,
        {{"SignalCollector::trigger vs QVector<QVariant>::append, repeating values",
          "BM_CollectorTrigger/1000", "BM_VectorAppend/1000", 0.5},
         {"SignalCollector::trigger vs QVector<QVariant>::append, distinct values",
          "BM_CollectorTrigger/1", "BM_VectorAppend/1", 0.5}});
}
