#pragma once

#include "tool_error.hpp"

#include <expected>
#include <optional>
#include <ostream>
#include <string>

namespace scenery_bake_determinism {

// The three environment variables the check reads, as raw values.
struct Environment {
    std::optional<std::string> portal_dat;       // QUILLMERE_PORTAL_DAT
    std::optional<std::string> cell_dat;         // QUILLMERE_CELL_DAT
    std::optional<std::string> determinism_out;  // QUILLMERE_DETERMINISM_OUT

    static Environment from_process();
};

// The whole check: locate and open both archives, read the region, bake the
// landblock square twice, write both runs, compare them and report on `log`.
// Success is PASS; every failure, FAIL included, is the error to report.
std::expected<void, ToolError> run(const Environment& environment, std::ostream& log);

}  // namespace scenery_bake_determinism
