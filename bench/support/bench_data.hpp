#pragma once

#include <filesystem>
#include <string_view>

namespace quillmere_bench {

// Stops a benchmark program whose inputs cannot be prepared: the message goes
// to standard error and the exit status is 2. Setup only, never in a timed
// region.
[[noreturn]] void setup_failure(std::string_view what);

// Where generated inputs are kept: $QUILLMERE_BENCH_DATA, or bench-data in
// the build folder.
[[nodiscard]] std::filesystem::path data_directory();

// A folder holding client_portal.dat and client_cell_1.dat.
struct WorldPaths {
    std::filesystem::path portal;
    std::filesystem::path cell;
};

// The generated demo world (the check's square and its border, seed 1), or
// the folder named by $QUILLMERE_BENCH_DEMO_WORLD. Written on first use.
[[nodiscard]] WorldPaths demo_world();

// The generated large world (all 65,025 landblocks, seed 1), or the folder
// named by $QUILLMERE_BENCH_LARGE_WORLD. Written on first use.
[[nodiscard]] WorldPaths large_world();

// An archive of 1,000,000 small files (16 to 200 bytes, 256-byte blocks), or
// the archive named by $QUILLMERE_BENCH_MILLION_DAT. Written on first use.
[[nodiscard]] std::filesystem::path million_file_archive();

}  // namespace quillmere_bench
