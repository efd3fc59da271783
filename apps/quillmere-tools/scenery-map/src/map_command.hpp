#pragma once

#include "landblock_selection.hpp"
#include "world.hpp"

#include <cstddef>
#include <expected>
#include <filesystem>
#include <string>

namespace scenery_map {

using scenery_bake_determinism::ToolError;

// A map's landblocks must fit in a rectangle of this many: larger maps are
// more than a browser shows comfortably.
inline constexpr std::size_t most_landblocks = 1024;

struct MapRequest {
    scenery_bake_tool::ArchivePaths archives;
    scenery_bake_tool::LandblockSelection landblocks;
    std::string caption;  // how the landblocks were named
    bool drops = false;
    std::filesystem::path out;
};

// Opens the world, bakes the landblocks and writes the map to `out`
// (creating missing parent folders). Fails like scenery-bake for the world
// and the file, and with "too many landblocks for one map" or "no
// landblocks to draw" for the selection.
std::expected<void, ToolError> run_map(const MapRequest& request, const scenery_bake_tool::Environment& environment);

}  // namespace scenery_map
