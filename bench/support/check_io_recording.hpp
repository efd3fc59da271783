#pragma once

#include "bench_data.hpp"
#include "check_io_plan.hpp"

namespace quillmere_bench {

// Works out the check's unavoidable I/O on `world` by running its two bakes
// through archives that note every file fetched (setup work, not timed).
[[nodiscard]] CheckIoPlan record_check_io(const WorldPaths& world);

}  // namespace quillmere_bench
