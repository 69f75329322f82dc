#include "support/benchratio.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>

namespace benchsupport {

namespace {

class RecordingReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred)
                continue;
            const auto items = run.counters.find("items_per_second");
            double throughput = 0.0;
            if (items != run.counters.end()) {
                throughput = items->second.value;
            } else {
                const double seconds = run.GetAdjustedRealTime()
                                       / benchmark::GetTimeUnitMultiplier(run.time_unit);
                throughput = seconds > 0 ? 1.0 / seconds : 0.0;
            }
            m_throughputs[run.benchmark_name()].push_back(throughput);
        }
    }

    // The median of a benchmark's repetitions (--benchmark_repetitions=N),
    // which a single slow or fast repetition on a busy machine cannot move.
    std::map<std::string, double> throughput() const
    {
        std::map<std::string, double> medians;
        for (auto [name, values] : m_throughputs) {
            std::sort(values.begin(), values.end());
            const std::size_t middle = values.size() / 2;
            medians[name] = values.size() % 2 ? values[middle]
                                               : (values[middle - 1] + values[middle]) / 2;
        }
        return medians;
    }

private:
    std::map<std::string, std::vector<double>> m_throughputs;
};

} // namespace

int runWithRatios(int argc, char **argv, const std::vector<Ratio> &ratios)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::printf("\nRatios (subject throughput / peer throughput; medians of the repetitions):\n");
    const std::map<std::string, double> throughput = reporter.throughput();
    for (const Ratio &ratio : ratios) {
        const auto subject = throughput.find(ratio.subject);
        const auto peer = throughput.find(ratio.peer);
        if (subject == throughput.end() || peer == throughput.end()
            || peer->second <= 0) {
            std::printf("  %-52s not measured in this run\n", ratio.label.c_str());
            continue;
        }
        const double value = subject->second / peer->second;
        if (ratio.goal > 0)
            std::printf("  %-52s %8.2fx  (goal >= %.2fx: %s)\n", ratio.label.c_str(), value,
                        ratio.goal, value >= ratio.goal ? "met" : "NOT met");
        else
            std::printf("  %-52s %8.2fx\n", ratio.label.c_str(), value);
    }
    std::fflush(stdout);
    return 0;
}

} // namespace benchsupport
