#pragma once

#include "random.hpp"
#include "world_shape.hpp"

#include <quillmere/dat/file_type/region.hpp>
#include <quillmere/dat/file_type/scene.hpp>
#include <quillmere/dat/landblock/cell_landblock.hpp>
#include <quillmere/dat/landblock/landblock_info.hpp>

#include <cstdint>

// The records of a generated world. Everything is drawn from `Random` and
// integer noise, never from the math library, so a seed gives the same bytes
// on every machine.
namespace quillmere_mkworld {

// A region with every optional part, odd-length names, and terrain and scene
// types whose indices sometimes point past their tables.
[[nodiscard]] quillmere_dat::file_type::region::Region make_region(const WorldShape& shape, Random& random);

// Terrain of one landblock: heights from smooth noise over global vertex
// coordinates, roads along global lines, terrain types from coarse noise.
[[nodiscard]] quillmere_dat::landblock::CellLandblock make_terrain(std::uint16_t landblock, std::uint64_t seed,
                                                                   const WorldShape& shape);

// A scene whose objects cover the range of every placement rule.
[[nodiscard]] quillmere_dat::file_type::scene::Scene make_scene(std::uint32_t id, Random& random,
                                                                const WorldShape& shape);

// Static objects, buildings (with portals) and sometimes a restriction table.
[[nodiscard]] quillmere_dat::landblock::LandblockInfo make_landblock_objects(std::uint16_t landblock,
                                                                             Random& random,
                                                                             const WorldShape& shape);

}  // namespace quillmere_mkworld
