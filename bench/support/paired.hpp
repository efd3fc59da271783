#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

namespace quillmere_bench {

// Totals of a paired benchmark, for counters derived from its times.
struct PairedTimes {
    double measured_seconds = 0.0;  // all iterations
    double floor_seconds = 0.0;
    double iterations = 0.0;
};

// Times `measured` and `floor` in the same iterations, taking turns on which
// runs first, so that drift in the machine's speed and warm caches touch both
// alike. The benchmark's own time is `measured`'s (register it with
// UseManualTime()); the counters add the floor's mean time and `vs_floor`,
// the median over iterations of measured time / floor time.
template <typename Measured, typename Floor>
PairedTimes run_paired(benchmark::State& state, Measured&& measured, Floor&& floor) {
    using clock = std::chrono::steady_clock;
    const auto time = [](auto&& work) {
        const auto start = clock::now();
        work();
        return std::chrono::duration<double>(clock::now() - start).count();
    };
    PairedTimes totals;
    std::vector<double> ratios;
    bool measured_first = true;
    for (auto _ : state) {
        double measured_time = 0.0;
        double floor_time = 0.0;
        if (measured_first) {
            measured_time = time(measured);
            floor_time = time(floor);
        } else {
            floor_time = time(floor);
            measured_time = time(measured);
        }
        measured_first = !measured_first;
        state.SetIterationTime(measured_time);
        totals.measured_seconds += measured_time;
        totals.floor_seconds += floor_time;
        totals.iterations += 1.0;
        ratios.push_back(measured_time / floor_time);
    }
    if (ratios.empty()) return totals;
    std::sort(ratios.begin(), ratios.end());
    const std::size_t middle = ratios.size() / 2;
    const double median =
        ratios.size() % 2 == 1 ? ratios[middle] : (ratios[middle - 1] + ratios[middle]) / 2.0;
    state.counters["floor_ms"] = totals.floor_seconds / totals.iterations * 1e3;
    state.counters["vs_floor"] = median;
    return totals;
}

}  // namespace quillmere_bench
