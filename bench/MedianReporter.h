// Shared by the benchmarks that report a ratio against a baseline measured in the
// same run: the repetitions are interleaved so that both sides see the same load,
// and the median of each benchmark is kept for the closing line.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace varn::bench {

class MedianReporter : public benchmark::ConsoleReporter {
public:
    MedianReporter() : ConsoleReporter(OO_Tabular) {}  // no colour codes in saved output
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Aggregate || run.aggregate_name != "median")
                continue;
            std::string name = run.run_name.function_name;
            if (!run.run_name.args.empty())
                name += "/" + run.run_name.args;
            medians[name] = {run.GetAdjustedRealTime(), run.GetAdjustedCPUTime()};
        }
        ConsoleReporter::ReportRuns(runs);
    }
    // By function name, with "/args" for benchmarks that take arguments.
    std::map<std::string, std::pair<double, double>> medians;  // real, CPU
};

// Runs the registered benchmarks with their repetitions interleaved.
inline void runInterleaved(int argc, char** argv, MedianReporter& reporter)
{
    std::vector<char*> arguments(argv, argv + argc);
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    arguments.insert(arguments.begin() + 1, interleave);
    int count = static_cast<int>(arguments.size());
    benchmark::Initialize(&count, arguments.data());
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
}

// Registers benchmarks timed by the wall clock in milliseconds, each repeated
// `repetitions` times with only the aggregates reported.
inline void registerMilliseconds(std::initializer_list<std::pair<const char*, void (*)(benchmark::State&)>> entries,
                                 int repetitions)
{
    for (const auto& [name, function] : entries)
        benchmark::RegisterBenchmark(name, function)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->Repetitions(repetitions)
            ->ReportAggregatesOnly(true);
}

// The socket of the throwaway test server the database benchmarks need, or null
// after saying how to start one (`source` names the benchmark's file).
inline const char* testServerSocket(const char* source)
{
    const char* socket = std::getenv("VARN_TEST_MYSQL_SOCKET");
    if (!socket)
        std::fprintf(stderr,
                     "VARN_TEST_MYSQL_SOCKET is not set; run through scripts/test-mysql run (see the top of %s)\n",
                     source);
    return socket;
}

}  // namespace varn::bench
