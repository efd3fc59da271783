#pragma once

#include "run_result.hpp"

#include <quillmere/dat/file_source.hpp>
#include <quillmere/dat/file_type/region.hpp>
#include <quillmere/dat/landblock/cell_landblock.hpp>
#include <quillmere/dat/landblock/landblock_info.hpp>
#include <quillmere/scenery_bake/baker.hpp>

#include <cstdint>
#include <memory_resource>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace scenery_bake_determinism {

class MeshCache;
class SceneCache;

// A landblock's terrain and object records in the cell archive.
constexpr std::uint32_t terrain_file_id(std::uint16_t landblock) { return std::uint32_t{landblock} << 16 | 0xFFFFU; }
constexpr std::uint32_t objects_file_id(std::uint16_t landblock) { return std::uint32_t{landblock} << 16 | 0xFFFEU; }

// A building's footprint: its model's mesh turned by the building's heading
// (twice the angle of atan2(z, w), in single precision) and moved to its
// origin. The building's scale and height are not applied.
[[nodiscard]] quillmere_scenery_bake::Footprint building_footprint(
    std::span<const quillmere_common::math::Vector3> mesh, const quillmere_dat::landblock::Frame& frame);

// The footprints of a landblock's buildings that have a mesh, in order.
[[nodiscard]] std::vector<quillmere_scenery_bake::Footprint> building_footprints(
    const quillmere_dat::landblock::LandblockInfo& info, MeshCache& meshes);

// One landblock baked with a run's caches: its terrain, its buildings'
// footprints and the baker's placements.
struct LandblockBake {
    quillmere_dat::landblock::CellLandblock terrain;
    std::vector<quillmere_scenery_bake::Footprint> buildings;
    std::vector<quillmere_scenery_bake::SceneryPlacement> placements;
};

// Bakes `landblock` with the check's settings (slope filter off). Nothing
// when its terrain record is missing or undecodable; a missing or
// undecodable object record only means no building footprints. `observer`
// is handed to the baker.
[[nodiscard]] std::optional<LandblockBake> bake_landblock(
    const quillmere_dat::file_type::region::Region& region, const quillmere_dat::FileSource& cell,
    std::uint16_t landblock, SceneCache& scenes, MeshCache& meshes,
    quillmere_scenery_bake::DropObserver* observer = nullptr);

// The landblock's placement lines, in the baker's order, kept in `memory`;
// none when its terrain is missing or undecodable.
[[nodiscard]] LineList landblock_lines(const quillmere_dat::file_type::region::Region& region,
                                       const quillmere_dat::FileSource& cell, std::uint16_t landblock,
                                       SceneCache& scenes, MeshCache& meshes,
                                       std::pmr::memory_resource* memory = std::pmr::get_default_resource());

// One baking run over `landblocks`, with caches of its own: an entry per
// landblock, in order. Never fails: a landblock whose terrain is missing or
// undecodable gets no lines, one whose object record is missing or
// undecodable is baked without building footprints.
[[nodiscard]] RunResult bake_ring_to_lines(const quillmere_dat::file_type::region::Region& region,
                                           const quillmere_dat::FileSource& portal,
                                           const quillmere_dat::FileSource& cell,
                                           std::span<const std::uint16_t> landblocks);

}  // namespace scenery_bake_determinism
