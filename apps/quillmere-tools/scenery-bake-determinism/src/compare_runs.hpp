#pragma once

#include "run_result.hpp"
#include "tool_error.hpp"

#include <expected>
#include <ostream>

namespace scenery_bake_determinism {

// Compares the two runs landblock by landblock and line by line, prints the
// placement total (run 1's lines) and the verdict on `log`. PASS is success;
// drift lists each drifted landblock with its first differing line pair and
// returns the FAIL error. Entries that name different landblocks at the same
// position are an internal fault ("lb sequence drift"), reported without a
// verdict.
std::expected<void, ToolError> compare_runs(const RunResult& run1, const RunResult& run2, std::ostream& log);

}  // namespace scenery_bake_determinism
