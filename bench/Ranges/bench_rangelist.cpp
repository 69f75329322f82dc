// RangeList::addRange against boost::icl::interval_set<double>, a
// tree-based interval set, on 10000 closed ranges added to an empty set, in
// two data sets: random doubles, and ends on an integer grid (shared ends,
// as pixel or line ranges have). For scale, the plain sort-and-sweep merge
// on 2000 random ranges.

#include <Ranges/rangelist.h>

#include "support/benchratio.h"

#include <QVector>
#include <QtAlgorithms>

#include <benchmark/benchmark.h>
#include <boost/icl/interval_set.hpp>

#include <cstdint>
#include <random>
#include <vector>

namespace {

// Ordered ranges, lower bound uniform in [0, 1e6), width in (0, 50]: about
// a quarter of the line ends up covered, so many additions overlap others.
std::vector<Range> randomRanges(int count)
{
    std::mt19937_64 engine(20240601);
    std::uniform_real_distribution<double> lower(0.0, 1.0e6);
    std::uniform_real_distribution<double> width(1.0e-3, 50.0);
    std::vector<Range> ranges;
    ranges.reserve(std::size_t(count));
    for (int i = 0; i < count; ++i) {
        const double start = lower(engine);
        ranges.push_back(Range{start, start + width(engine)});
    }
    return ranges;
}

// Integer ends: lower uniform in [0, 100000), width 1 to 50. Every few
// additions shares an end with a stored range, and touching ranges stay
// apart until a later sort reorders their ends.
std::vector<Range> gridRanges(int count)
{
    std::mt19937_64 engine(20240602);
    std::uniform_int_distribution<int> lower(0, 99999);
    std::uniform_int_distribution<int> width(1, 50);
    std::vector<Range> ranges;
    ranges.reserve(std::size_t(count));
    for (int i = 0; i < count; ++i) {
        const double start = lower(engine);
        ranges.push_back(Range{start, start + width(engine)});
    }
    return ranges;
}

enum DataSet { Random10000, Random2000, Grid10000 };

const std::vector<Range> &ranges(int dataSet)
{
    static const std::vector<Range> large = randomRanges(10000);
    static const std::vector<Range> small = randomRanges(2000);
    static const std::vector<Range> grid = gridRanges(10000);
    return dataSet == Random10000 ? large : dataSet == Random2000 ? small : grid;
}

void BM_RangeList(benchmark::State &state)
{
    const std::vector<Range> &input = ranges(int(state.range(0)));
    for (auto _ : state) {
        RangeList list;
        for (const Range &range : input)
            list.addRange(range);
        benchmark::DoNotOptimize(list.ranges().size());
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t(input.size()));
}
BENCHMARK(BM_RangeList)
    ->ArgName("data")
    ->Arg(Random10000)
    ->Arg(Random2000)
    ->Arg(Grid10000)
    ->Unit(benchmark::kMillisecond);

void BM_IclIntervalSet(benchmark::State &state)
{
    using Interval = boost::icl::interval<double>;
    const std::vector<Range> &input = ranges(int(state.range(0)));
    for (auto _ : state) {
        boost::icl::interval_set<double> set;
        for (const Range &range : input)
            set.insert(Interval::closed(range.lower, range.upper));
        benchmark::DoNotOptimize(set.iterative_size());
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t(input.size()));
}
BENCHMARK(BM_IclIntervalSet)
    ->ArgName("data")
    ->Arg(Random10000)
    ->Arg(Grid10000)
    ->Unit(benchmark::kMillisecond);

// Every addition re-sorts all ends and sweeps them.
struct End
{
    double value;
    bool opening;
    bool operator<(const End &other) const { return value < other.value; }
};

void BM_PlainSweep(benchmark::State &state)
{
    const std::vector<Range> &input = ranges(int(state.range(0)));
    for (auto _ : state) {
        QList<Range> list;
        for (const Range &added : input) {
            if (list.isEmpty()) {
                list.append(added);
                continue;
            }
            QVector<End> ends;
            ends.reserve(2 * list.size() + 2);
            for (const Range &range : qAsConst(list))
                ends << End{range.lower, true} << End{range.upper, false};
            ends << End{added.lower, true} << End{added.upper, false};
            qSort(ends.begin(), ends.end());
            list.clear();
            int depth = 0;
            double start = 0.0;
            for (const End &end : qAsConst(ends)) {
                if (end.opening && depth++ == 0)
                    start = end.value;
                else if (!end.opening && depth-- == 1)
                    list.append(Range{start, end.value});
            }
        }
        benchmark::DoNotOptimize(list.size());
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t(input.size()));
}
BENCHMARK(BM_PlainSweep)->ArgName("data")->Arg(Random2000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return benchsupport::runWithRatios(
        argc, argv,
        {{"RangeList vs icl::interval_set, 10000 random additions", "BM_RangeList/data:0",
          "BM_IclIntervalSet/data:0", 1.0 / 3.0},
         {"RangeList vs icl::interval_set, 10000 additions on an integer grid",
          "BM_RangeList/data:2", "BM_IclIntervalSet/data:2", 1.0 / 3.0},
         {"RangeList vs plain sort-and-sweep, 2000 random additions", "BM_RangeList/data:1",
          "BM_PlainSweep/data:1", 10.0}});
}
