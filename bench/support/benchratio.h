#pragma once

// Runs the registered benchmarks and prints, after the usual table, one line
// per comparison: how many times the subject's throughput the peer's is.
//
//     int main(int argc, char **argv)
//     {
//         return benchsupport::runWithRatios(argc, argv, {
//             {"Identifier vs QUuid, 1 thread", "BM_Identifier/threads:1",
//              "BM_QUuid/threads:1", 5.0}});
//     }
//
// Throughput is items per second when the benchmark sets items processed
// (summed over threads), otherwise the inverse of the real time per
// iteration.

#include <string>
#include <vector>

namespace benchsupport {

struct Ratio
{
    std::string label;
    std::string subject; // benchmark name as printed
    std::string peer;
    double goal;         // subject throughput / peer throughput should reach this;
                         // 0 for a ratio that is only shown
};

int runWithRatios(int argc, char **argv, const std::vector<Ratio> &ratios);

} // namespace benchsupport
