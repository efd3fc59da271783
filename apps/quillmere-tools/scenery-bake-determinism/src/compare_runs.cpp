#include "compare_runs.hpp"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace scenery_bake_determinism {

namespace {

const LineList& lines_of(const RunResult& run, std::uint16_t landblock) {
    static const LineList none;
    const auto it = std::find_if(run.begin(), run.end(),
                                 [&](const LandblockLines& entry) { return entry.landblock == landblock; });
    return it == run.end() ? none : it->lines;
}

void describe_drift(std::uint16_t landblock, const RunResult& run1, const RunResult& run2, std::ostream& log) {
    const auto& lines1 = lines_of(run1, landblock);
    const auto& lines2 = lines_of(run2, landblock);
    log << "  LB 0x" << landblock_hex(landblock) << ": " << lines1.size() << " vs " << lines2.size()
        << " lines\n";
    const std::size_t common = std::min(lines1.size(), lines2.size());
    for (std::size_t i = 0; i < common; ++i) {
        if (lines1[i] != lines2[i]) {
            log << "    line " << i << ": " << lines1[i] << "\n";
            log << "           : " << lines2[i] << "\n";
            return;
        }
    }
}

}  // namespace

std::expected<void, ToolError> compare_runs(const RunResult& run1, const RunResult& run2, std::ostream& log) {
    std::uint64_t total = 0;
    std::vector<std::uint16_t> drifted;
    const std::size_t common = std::min(run1.size(), run2.size());
    for (std::size_t i = 0; i < common; ++i) {
        if (run1[i].landblock != run2[i].landblock) return std::unexpected(ToolError("lb sequence drift"));
        total += run1[i].lines.size();
        if (run1[i].lines != run2[i].lines) drifted.push_back(run1[i].landblock);
    }

    log << "scenery-bake-determinism: total placements = " << total << " across " << run1.size() << " LBs\n";
    if (drifted.empty()) {
        log << "scenery-bake-determinism: PASS \u2014 all 169 LBs byte-identical across 2 runs\n";
        return {};
    }
    for (const std::uint16_t landblock : drifted) describe_drift(landblock, run1, run2, log);
    return std::unexpected(ToolError("scenery-bake-determinism: FAIL \u2014 " + std::to_string(drifted.size()) +
                                     " LBs drifted between runs"));
}

}  // namespace scenery_bake_determinism
