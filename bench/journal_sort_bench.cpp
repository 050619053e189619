// The journal view's sorts, extensions and row filling on a year of calls
// (1,000,000 records), against the insertion sorts they replace, measured in
// the same run: the insertion sort is timed at 20,000 records and carried to
// 1,000,000 by the square of the counts. Ends with a summary and exits 1 when
// a sort is less than 1000 times faster than that, or takes more than 2.5
// times as long for 1,000,000 records as for 500,000.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "bench/journal_bench_data.h"
#include "journal/journal_rows.h"
#include "journal/journal_sort.h"
#include "journal/tests/journal_sort_reference.h"

namespace {

constexpr int64_t kLarge = 1000000;
constexpr int64_t kHalf = 500000;
constexpr int64_t kInsertion = 20000;
const char* const kNames[] = {"Ligne", "Passerelle", "Utilisateur", "Numero", "Date", "Debit", "Duree"};

const std::vector<JournalRecord>& Records()
{
    static const std::vector<JournalRecord> records = bench::MakeJournal(kLarge);
    return records;
}

std::span<const JournalRecord> First(int64_t count)
{
    return {Records().data(), static_cast<size_t>(count)};
}

void Sort(benchmark::State& state)
{
    int command = static_cast<int>(state.range(0));
    std::span<const JournalRecord> records = First(state.range(1));
    std::vector<int> order;
    for (auto _ : state) {
        BuildJournalOrder(records, command, order);
        benchmark::DoNotOptimize(order.data());
    }
    state.SetLabel(kNames[command - 5]);
}

void InsertionSort(benchmark::State& state)
{
    int command = static_cast<int>(state.range(0));
    std::span<const JournalRecord> records = First(state.range(1));
    for (auto _ : state)
        benchmark::DoNotOptimize(reference::JournalOrder(records, command).data());
    state.SetLabel(kNames[command - 5]);
}

// The order of a million records, k of them just appended.
void Extend(benchmark::State& state)
{
    int command = static_cast<int>(state.range(0));
    int64_t added = state.range(1);
    std::vector<int> before;
    BuildJournalOrder(First(kLarge - added), command, before);
    std::vector<int> order;
    for (auto _ : state) {
        state.PauseTiming();
        order = before;
        state.ResumeTiming();
        bool extended = ExtendJournalOrder(Records(), command, order);
        benchmark::DoNotOptimize(extended);
    }
    state.SetLabel(kNames[command - 5]);
}

// The rows of a million records sorted by user: every record, one user's,
// one gateway's, both.
void Rows(benchmark::State& state)
{
    std::vector<int> order;
    BuildJournalOrder(Records(), 7, order);
    JournalFilter filters[] = {{}, {true, {}, false, "Durand"}, {false, "Pass3", true, {}},
                               {false, "Pass3", false, "Durand"}};
    const JournalFilter& filter = filters[state.range(0)];
    std::vector<int> rows;
    for (auto _ : state) {
        BuildJournalRows(Records(), order, filter, rows);
        benchmark::DoNotOptimize(rows.data());
    }
    state.counters["rows"] = static_cast<double>(rows.size());
}

BENCHMARK(Sort)->ArgsProduct({{5, 6, 7, 8, 9, 10, 11}, {kHalf, kLarge}})->Unit(benchmark::kMillisecond);
BENCHMARK(InsertionSort)->ArgsProduct({{5, 6, 7, 8, 10, 11}, {kInsertion}})->Unit(benchmark::kMillisecond)
    ->Iterations(2);
BENCHMARK(Extend)->ArgsProduct({{5, 7, 9, 11}, {1, 100, 10000}})->Unit(benchmark::kMillisecond);
BENCHMARK(Rows)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

// Keeps the seconds per iteration of every run, by name.
class Collector : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> seconds;
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && run.iterations > 0)
                seconds[run.benchmark_name()] = run.real_accumulated_time / static_cast<double>(run.iterations);
        ConsoleReporter::ReportRuns(runs);
    }
};

// The summary: false when a requirement is not met.
bool Summarise(const std::map<std::string, double>& seconds)
{
    bool met = true;
    double scale = static_cast<double>(kLarge) / kInsertion;
    std::printf("\n%-12s %12s %12s %8s %16s %10s\n", "column", "500k (ms)", "1M (ms)", "1M/500k", "insertion 1M (s)",
                "speed-up");
    for (int command = 5; command <= 11; ++command) {
        // A run's name may carry its settings after the arguments.
        auto at = [&](const std::string& name) {
            auto found = seconds.lower_bound(name);
            bool named = found != seconds.end() && found->first.compare(0, name.size(), name) == 0 &&
                         (found->first.size() == name.size() || found->first[name.size()] == '/');
            return named ? found->second : -1.0;
        };
        std::string c = std::to_string(command);
        double half = at("Sort/" + c + "/" + std::to_string(kHalf));
        double large = at("Sort/" + c + "/" + std::to_string(kLarge));
        double insertion = at("InsertionSort/" + c + "/" + std::to_string(kInsertion));
        if (half < 0 || large < 0)
            continue;
        double growth = large / half;
        met = met && growth <= 2.5;
        if (insertion < 0) {
            std::printf("%-12s %12.1f %12.1f %8.2f %16s %10s\n", kNames[command - 5], half * 1e3, large * 1e3, growth,
                        "(file order)", "-");
            continue;
        }
        double extrapolated = insertion * scale * scale;
        double speedup = extrapolated / large;
        met = met && speedup >= 1000;
        std::printf("%-12s %12.1f %12.1f %8.2f %16.0f %9.0fx\n", kNames[command - 5], half * 1e3, large * 1e3, growth,
                    extrapolated, speedup);
    }
    std::printf("%s\n", met ? "every requirement met" : "REQUIREMENT NOT MET");
    return met;
}

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    Records();
    Collector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    benchmark::Shutdown();
    return Summarise(collector.seconds) ? 0 : 1;
}
