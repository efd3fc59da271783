#include "bench_main.hpp"

#include <benchmark/benchmark.h>

namespace quillmere_bench {

int run_benchmarks(int argc, char** argv, void (*register_benchmarks)()) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    register_benchmarks();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

}  // namespace quillmere_bench
