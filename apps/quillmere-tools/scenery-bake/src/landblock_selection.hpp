#pragma once

#include "tool_error.hpp"

#include <quillmere/dat/dat_database.hpp>

#include <cstdint>
#include <expected>
#include <string_view>
#include <variant>
#include <vector>

namespace scenery_bake_tool {

using scenery_bake_determinism::ToolError;

// Every landblock that has a terrain file in the cell archive.
struct WholeWorld {
    friend bool operator==(const WholeWorld&, const WholeWorld&) = default;
};

// The rectangle between two corner landblocks, both included, in either
// order: "A3AE-AFBA" is x 0xA3 ... 0xAF by y 0xAE ... 0xBA, like "AFAE-A3BA".
struct LandblockRectangle {
    std::uint16_t corner_a = 0;
    std::uint16_t corner_b = 0;
    friend bool operator==(const LandblockRectangle&, const LandblockRectangle&) = default;
};

// Landblocks named one by one.
struct LandblockList {
    std::vector<std::uint16_t> landblocks;
    friend bool operator==(const LandblockList&, const LandblockList&) = default;
};

using LandblockSelection = std::variant<WholeWorld, LandblockRectangle, LandblockList>;

// "all", "A3AE-AFBA" or "A9B4,A9B5,...". A landblock id is 4 hexadecimal
// digits (either case), optionally after "0x". Fails with
// "invalid landblocks '{text}'" over what is wrong with it.
std::expected<LandblockSelection, ToolError> parse_landblocks(std::string_view text);

// The rectangle's landblocks, x-major: x upwards outside, y upwards inside.
[[nodiscard]] std::vector<std::uint16_t> landblock_rectangle(std::uint16_t corner_a, std::uint16_t corner_b);

// The landblocks whose terrain file (lb << 16 | 0xFFFF) the archive lists.
[[nodiscard]] std::vector<std::uint16_t> world_landblocks(const quillmere_dat::DatDatabase& cell);

// The selection's landblocks in landblock order: ascending, each once. This
// is the order of every output, and of the per-landblock files' names.
[[nodiscard]] std::vector<std::uint16_t> resolve_landblocks(const LandblockSelection& selection,
                                                            const quillmere_dat::DatDatabase& cell);

}  // namespace scenery_bake_tool
