#pragma once

#include "world.hpp"

#include <quillmere/scenery_bake/baker.hpp>
#include <quillmere/scenery_bake/height.hpp>

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace scenery_map {

using quillmere_scenery_bake::ConsideredObject;
using quillmere_scenery_bake::Footprint;

// A landblock's terrain as the baker saw it.
struct Terrain {
    quillmere_scenery_bake::height::HeightGrid heights{};  // entry x * 9 + y
    std::array<std::uint16_t, quillmere_dat::landblock::vertex_count> words{};
};

// An object the baker considered, with the extent of its model in the
// model's own frame (x and y, unscaled) when the model has a mesh.
struct MapObject {
    ConsideredObject object;
    std::optional<Footprint> model_extent;
};

struct LandblockMap {
    std::uint16_t landblock = 0;
    std::optional<Terrain> terrain;     // nothing when missing or undecodable
    std::vector<Footprint> buildings;   // landblock-local
    std::vector<MapObject> placed;      // the bake's placements, in its order
    std::vector<MapObject> dropped;     // collected only when asked for
};

struct MapData {
    std::vector<LandblockMap> landblocks;  // in landblock order
    bool with_drops = false;
};

// Bakes `landblocks` as scenery-bake does (one thread, the check's caches)
// and keeps what a map shows. With `with_drops` the baker's observer also
// records every object it dropped, and why.
[[nodiscard]] MapData collect_map(const scenery_bake_tool::World& world, std::span<const std::uint16_t> landblocks,
                                  bool with_drops);

}  // namespace scenery_map
