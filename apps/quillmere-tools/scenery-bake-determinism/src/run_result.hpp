#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace scenery_bake_determinism {

// The lines of one landblock in one run, in the baker's order.
struct LandblockLines {
    std::uint16_t landblock = 0;
    std::vector<std::string> lines;

    friend bool operator==(const LandblockLines&, const LandblockLines&) = default;
};

// One run: an entry per landblock of the list, in the list's order.
using RunResult = std::vector<LandblockLines>;

// The check's square: x from 0xA3 to 0xAF (outer), y from 0xAE to 0xBA
// (inner), id = x << 8 | y.
[[nodiscard]] std::vector<std::uint16_t> landblock_square();

// "A9B4": a landblock id as 4 upper-case hex digits.
[[nodiscard]] std::string landblock_hex(std::uint16_t landblock);

}  // namespace scenery_bake_determinism
