#pragma once

#include "run_result.hpp"

#include <quillmere/dat/file_source.hpp>
#include <quillmere/dat/file_type/region.hpp>
#include <quillmere/dat/landblock/landblock_info.hpp>
#include <quillmere/scenery_bake/baker.hpp>

#include <cstdint>
#include <span>
#include <vector>

namespace scenery_bake_determinism {

class MeshCache;

// A building's footprint: its model's mesh turned by the building's heading
// (twice the angle of atan2(z, w), in single precision) and moved to its
// origin. The building's scale and height are not applied.
[[nodiscard]] quillmere_scenery_bake::Footprint building_footprint(
    std::span<const quillmere_common::math::Vector3> mesh, const quillmere_dat::landblock::Frame& frame);

// The footprints of a landblock's buildings that have a mesh, in order.
[[nodiscard]] std::vector<quillmere_scenery_bake::Footprint> building_footprints(
    const quillmere_dat::landblock::LandblockInfo& info, MeshCache& meshes);

// One baking run over `landblocks`, with caches of its own: an entry per
// landblock, in order. Never fails: a landblock whose terrain is missing or
// undecodable gets no lines, one whose object record is missing or
// undecodable is baked without building footprints.
[[nodiscard]] RunResult bake_ring_to_lines(const quillmere_dat::file_type::region::Region& region,
                                           const quillmere_dat::FileSource& portal,
                                           const quillmere_dat::FileSource& cell,
                                           std::span<const std::uint16_t> landblocks);

}  // namespace scenery_bake_determinism
