#pragma once

namespace quillmere_bench {

// A benchmark program's main: takes Google Benchmark's options from the
// command line (an unknown one is an error, status 1), registers the
// program's benchmarks with `register_benchmarks` and runs those selected.
int run_benchmarks(int argc, char** argv, void (*register_benchmarks)());

}  // namespace quillmere_bench
