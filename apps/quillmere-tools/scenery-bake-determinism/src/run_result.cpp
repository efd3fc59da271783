#include "run_result.hpp"

#include <cstdio>

namespace scenery_bake_determinism {

RunResult::RunResult() : memory_(std::make_unique<RunMemory>()) {}

RunResult::RunResult(std::initializer_list<LandblockLines> entries) : RunResult() {
    entries_.assign(entries.begin(), entries.end());
}

RunResult::~RunResult() = default;

std::vector<std::uint16_t> landblock_square() {
    std::vector<std::uint16_t> square;
    square.reserve(13 * 13);
    for (unsigned x = 0xA3; x <= 0xAF; ++x) {
        for (unsigned y = 0xAE; y <= 0xBA; ++y) square.push_back(static_cast<std::uint16_t>(x << 8 | y));
    }
    return square;
}

std::string landblock_hex(std::uint16_t landblock) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%04X", static_cast<unsigned>(landblock));
    return buffer;
}

}  // namespace scenery_bake_determinism
